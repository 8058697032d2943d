#include <limits>

#include "app/event_log.h"
#include "app/firmware_app.h"
#include "app/job_values.h"
#include "app/model_catalogue.h"

// "-s" first, then "-m MODEL", "-p PORT" ("-p NET ADDRESS"), "-b BAUD", "-tcpport PORT" and
// "-f FILE" in any order. Option names match exactly; their values are taken as they come,
// never tested against the option names, so "-m -f" makes "-f" the model name. Arguments
// of any length are kept whole. Numbers must be numbers: a baud rate of the standard set, a
// TCP port 1-65535, an address of four numbers 0-255 (or a host name). An option of the
// program's own ("--json", any "--" word) after "-s" is refused, never skipped: skipping
// "--dry-run" there would download for real.
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
                      ": no port (COM1 ... COM255, LPT1 ... LPT3, USB or NET ADDRESS)");
      }
      // "NET" takes the printer's address as one more argument.
      const bool net = kind == PortKind::kNet;
      if (net && i + 2 >= args.size()) return Refuse("-p NET needs the printer's address");
      std::string address;
      if (net) {
        const auto plain = PrinterAddress(args[i + 2]);
        if (!plain) {
          return Refuse("-p NET " + ShownValue(args[i + 2]) +
                        ": no address (four numbers 0-255, as 192.168.0.20, or a host name)");
        }
        address = *plain;
      }
      notice((std::string("Select ") + SelectPort(kind, value, address, port, flags)).c_str());
      i += net ? 3 : 2;
    } else if (option == "-b") {
      if (!hasValue) return Refuse("-b needs a baud rate");
      if (flags.kindCom == 0) {
        return Refuse("-b " + ShownValue(args[i + 1]) + ": no COM port named before it");
      }
      const auto rate = DecimalInRange(args[i + 1], 1, std::numeric_limits<int32_t>::max());
      if (!rate || !IsStandardBaudRate(*rate)) {
        return Refuse("-b " + ShownValue(args[i + 1]) + ": no baud rate (" +
                      StandardBaudRateList() + ")");
      }
      port.baudRate = *rate;
      notice("Select baudrate");
      i += 2;
    } else if (option == "-tcpport") {
      if (!hasValue) return Refuse("-tcpport needs a TCP port");
      if (flags.kindNet == 0) {
        return Refuse("-tcpport " + ShownValue(args[i + 1]) + ": no NET address named before it");
      }
      const auto tcpPort = DecimalInRange(args[i + 1], 1, 65535);
      if (!tcpPort)
        return Refuse("-tcpport " + ShownValue(args[i + 1]) + ": no TCP port (1-65535)");
      port.baudRate = *tcpPort;
      notice("Select tcpport");
      i += 2;
    } else if (option == "-f") {
      if (!hasValue) return Refuse("-f needs a file name");
      firmwareName = args[i + 1];
      flags.fileGiven = 1;
      notice("Select file");
      i += 2;
    } else if (option.rfind("--", 0) == 0) {
      return Refuse(ShownValue(option) + " after -s: the program's own options belong before it" +
                    " (vrtqlx [--json] [--dry-run] [--quiet] [--log FILE] -s ...)");
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
