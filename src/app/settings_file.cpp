#include "app/event_log.h"
#include "app/firmware_app.h"
#include "app/job_values.h"
#include "app/model_catalogue.h"
#include "platform/file_handle.h"
#include "platform/profile_reader.h"

namespace {
constexpr const char* kSection = "QLX";
}  // namespace

// Values of any length are taken whole: a long port, address or file name is passed on
// as it stands and fails where it is used, never cut into another name.
int CFirmwareApp::LoadSettingsFile(const std::string& path,
                                   platform::SysResult<platform::File>& file) {
  // A settings file that is there but cannot be read (a directory, not a regular file,
  // too large, a read error) asked for a silent job that has no usable parameters.
  auto loaded = file
                    ? platform::ProfileReader::Read(file.value(), path)
                    : platform::SysResult<platform::ProfileReader>::Fail(file.call(), file.error());
  if (!loaded) return Refuse(path + " cannot be read: " + loaded.Describe());
  const platform::ProfileReader& ini = loaded.value();

  CEventLog* log = CEventLog::GetInstance();
  auto notice = [log](const char* text) {
    log->Report(CEventLog::kSilent, CEventLog::kNotice, text);
  };

  const std::string portType = ToUpperAscii(ini.GetString(kSection, "PORTTYPE", ""));
  const PortKind kind = ClassifyPortValue(portType);
  if (kind == PortKind::kNone) {
    return Refuse("PORTTYPE=" + ShownValue(portType) + " in " + path +
                  ": no port (COMn, LPTn, USB or NET)");
  }
  std::string address;
  if (kind == PortKind::kNet) {
    address = ini.GetString(kSection, "IP", "");
    if (address.empty()) return Refuse("PORTTYPE=NET in " + path + " needs IP");
    // Read as the command line reads -p NET: a dotted quad as four decimal numbers, other
    // numeric forms refused, names kept for the resolver.
    const auto plain = PrinterAddress(address);
    if (!plain) {
      return Refuse("IP=" + ShownValue(address) + " in " + path +
                    ": no address (four numbers 0-255, as 192.168.0.20, or a host name)");
    }
    address = *plain;
  }
  notice((std::string("Select ") + SelectPort(kind, portType, address, port, flags) + " in INI")
             .c_str());

  // The file's own keys decide: the defaults above do not survive a missing key.
  if (flags.portResolved == 1) {
    if (flags.kindCom == 1) {
      port.baudRate = ini.GetInt(kSection, "BAUDRATE", 0);
      notice("Select baudrate in INI");
    }
    if (flags.kindNet == 1) {
      port.baudRate = ini.GetInt(kSection, "TCPPORT", 0);
      notice("Select baudrate in INI");
    }
  }

  modelName = ini.GetString(kSection, "MODELNAME", "");
  if (!modelName.empty()) {
    if (!IsKnownFamily(modelName)) {
      const std::string refused = modelName;
      modelName.clear();
      return Refuse("MODELNAME=" + ShownValue(refused) + " in " + path + ": no model of the range");
    }
    WarnOfUnknownModel();
    flags.modelGiven = 1;
    notice("Select file");
  }

  firmwareName = ini.GetString(kSection, "FWNAME", "");
  if (!firmwareName.empty()) {
    const bool endsInFls =
        firmwareName.size() >= 3 && firmwareName.compare(firmwareName.size() - 3, 3, "fls") == 0;
    if (!endsInFls || modelName.empty()) {
      const std::string refused = firmwareName;
      firmwareName.clear();
      return Refuse(!endsInFls
                        ? "FWNAME=" + ShownValue(refused) + " in " + path + " does not end in fls"
                        : "FWNAME in " + path + " needs MODELNAME");
    }
    flags.fileGiven = 1;
    notice("Select file");
    return 1;
  }
  if (flags.modelGiven == 1) {
    if (!FindFirmwareForModel()) {
      return Refuse("no firmware file " + modelName + "_..._MMDDYY.fls in " + workDir);
    }
    flags.fileGiven = 1;
    return 1;
  }
  if (!FindAnyFirmware()) {
    return Refuse("no single firmware file (*.fls) names the model in " + workDir);
  }
  flags.fileGiven = 1;
  flags.modelGiven = 1;
  return 1;
}
