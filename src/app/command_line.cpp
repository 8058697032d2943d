#include "app/event_log.h"
#include "app/firmware_app.h"
#include "app/job_values.h"

// "-s" first, then "-m MODEL", "-p PORT" ("-p NET ADDRESS"), "-b BAUD", "-tcpport PORT" and
// "-f FILE" in any order. Option names match exactly; their values are taken as they come,
// never tested against the option names, so "-m -f" makes "-f" the model name. Arguments
// of any length are kept whole.
int CFirmwareApp::ParseCommandLine() {
  const std::vector<std::string>& args = arguments_;
  if (args.size() < 2 || args[1] != "-s") return 0;

  CEventLog* log = CEventLog::GetInstance();
  auto notice = [log](const char* text) {
    log->Report(CEventLog::kSilent, CEventLog::kNotice, text);
  };

  size_t i = 2;
  while (i < args.size()) {
    const std::string& option = args[i];
    const bool hasValue = i + 1 < args.size();
    if (option == "-m") {
      if (!hasValue) return -1;
      modelName = args[i + 1];
      flags.modelGiven = 1;
      notice("Select Model");
      i += 2;
    } else if (option == "-p") {
      if (!hasValue) return -1;
      const std::string value = ToUpperAscii(args[i + 1]);
      const PortKind kind = ClassifyPortValue(value);
      if (kind == PortKind::kNone) return -1;
      // "NET" takes the printer's address as one more argument.
      const bool net = kind == PortKind::kNet;
      if (net && i + 2 >= args.size()) return -1;
      const std::string address = net ? args[i + 2] : std::string();
      notice((std::string("Select ") + SelectPort(kind, value, address, port, flags)).c_str());
      i += net ? 3 : 2;
    } else if (option == "-b") {
      if (!hasValue || flags.kindCom == 0) return -1;
      port.baudRate = LeadingDecimal(args[i + 1]);
      notice("Select baudrate");
      i += 2;
    } else if (option == "-tcpport") {
      if (!hasValue || flags.kindNet == 0) return -1;
      port.baudRate = LeadingDecimal(args[i + 1]);
      notice("Select tcpport");
      i += 2;
    } else if (option == "-f") {
      if (!hasValue) return -1;
      firmwareName = args[i + 1];
      flags.fileGiven = 1;
      notice("Select file");
      i += 2;
    } else {
      ++i;
    }
  }

  // A model or file that discovery cannot settle is no error: the operator chooses.
  if (flags.modelGiven == 0) {
    if (!FindAnyFirmware()) return 0;
    flags.modelGiven = 1;
    flags.fileGiven = 1;
  } else if (flags.fileGiven == 0) {
    if (!FindFirmwareForModel()) return 0;
    flags.fileGiven = 1;
  }
  if (flags.portResolved == 0) flags.kindUsb = 1;
  return 1;
}
