#include "app/event_log.h"
#include "app/firmware_app.h"
#include "app/job_values.h"
#include "app/model_catalogue.h"

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
      if (!hasValue) return Refuse("-m needs a model name");
      modelName = args[i + 1];
      flags.modelGiven = 1;
      notice("Select Model");
      i += 2;
    } else if (option == "-p") {
      if (!hasValue) return Refuse("-p needs a port");
      const std::string value = ToUpperAscii(args[i + 1]);
      const PortKind kind = ClassifyPortValue(value);
      if (kind == PortKind::kNone) {
        return Refuse("-p " + ShownValue(args[i + 1]) +
                      ": no port (COM1 ... COM20, LPT1 ... LPT3, USB or NET ADDRESS)");
      }
      // "NET" takes the printer's address as one more argument.
      const bool net = kind == PortKind::kNet;
      if (net && i + 2 >= args.size()) return Refuse("-p NET needs the printer's address");
      const std::string address = net ? args[i + 2] : std::string();
      notice((std::string("Select ") + SelectPort(kind, value, address, port, flags)).c_str());
      i += net ? 3 : 2;
    } else if (option == "-b") {
      if (!hasValue) return Refuse("-b needs a baud rate");
      if (flags.kindCom == 0) {
        return Refuse("-b " + ShownValue(args[i + 1]) + ": no COM port named before it");
      }
      port.baudRate = LeadingDecimal(args[i + 1]);
      notice("Select baudrate");
      i += 2;
    } else if (option == "-tcpport") {
      if (!hasValue) return Refuse("-tcpport needs a TCP port");
      if (flags.kindNet == 0) {
        return Refuse("-tcpport " + ShownValue(args[i + 1]) + ": no NET address named before it");
      }
      port.baudRate = LeadingDecimal(args[i + 1]);
      notice("Select tcpport");
      i += 2;
    } else if (option == "-f") {
      if (!hasValue) return Refuse("-f needs a file name");
      firmwareName = args[i + 1];
      flags.fileGiven = 1;
      notice("Select file");
      i += 2;
    } else {
      // Skipped, as it always was; a caller who mistyped an option learns of it.
      Warn("unknown option " + ShownValue(option) + " skipped");
      ++i;
    }
  }
  if (flags.modelGiven == 1) WarnOfUnknownModel();

  // A model or file that discovery cannot settle is no error: the operator chooses.
  if (flags.modelGiven == 0) {
    if (!FindAnyFirmware()) {
      unsettled = "no single firmware file (*.fls) names the model in " + workDir;
      return 0;
    }
    flags.modelGiven = 1;
    flags.fileGiven = 1;
  } else if (flags.fileGiven == 0) {
    if (!FindFirmwareForModel()) {
      unsettled = "no firmware file " + modelName + "_..._MMDDYY.fls in " + workDir;
      return 0;
    }
    flags.fileGiven = 1;
  }
  if (flags.portResolved == 0) flags.kindUsb = 1;
  return 1;
}
