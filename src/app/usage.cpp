#include "app/usage.h"

#include "framework/app_identity.h"
#include "platform/port_map.h"
#include "platform/standard_paths.h"
#include "platform/terminal.h"

namespace {

constexpr const char* kUsage =
    R"(Usage: vrtqlx                 the operator's window (needs a display)
       vrtqlx [SCRIPT OPTION]... -s [OPTION]...   an unattended download, without any window
       vrtqlx [SCRIPT OPTION]...  the job of a vrtqlx.ini in the working directory
       vrtqlx [--json] --list        the printers and lines of this station
       vrtqlx --help | -h | --version | -V

Script options (before -s, never after it; with a vrtqlx.ini alone):
  --json            print one JSON object on standard output at the end: outcome,
                    exit_code, model, port, target, file, bytes_sent, bytes_total,
                    seconds, log_file, reason, warnings
  --dry-run         settle the job as the run would (settings file, newest file, model,
                    HEX conversion) and take the start's decisions: the port's node there,
                    of its kind and writable, the line settings, the TCP port and address,
                    the image; say what it would do, or refuse with the run's reason and
                    exit code; no port is opened, no connection made, no queue paused, no
                    log written (a printer that is off or silent only the run finds)
  --list            list the USB printers of the range, the COM and LPT lines present
                    and their print queues (with --json as one object); opens nothing
  --quiet           no progress line and no notices on standard error (warnings and
                    reasons still come)
  --log FILE        append the log to FILE instead of _VRT_QLX.txt

When a window opens: only for "vrtqlx" alone, or for -s whose job cannot be settled (no
firmware file found), and only without script options and where a display is present.
Otherwise such a start ends with exit code 3 and says why.

Options of an unattended download (after -s, in any order):
  -m MODEL          printer model, e.g. TQR-23
  -p PORT           COM1 ... COM255 (115200 baud unless -b follows), LPT1 ... LPT3,
                    USB (the first connected printer of the model), or NET ADDRESS
                    (four numbers 0-255 or a host name; TCP port 9100 unless
                    -tcpport follows)
  -b BAUD           baud rate of the COM port named by an earlier -p: 110, 300, 600,
                    1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200,
                    128000, 230400, 256000, 460800 or 921600
  -tcpport PORT     TCP port (1-65535) of the NET address named by an earlier -p
  -f FILE           firmware file, relative to the working directory or absolute
Without -m, the one *.fls file of the working directory names model and file; with -m
and without -f, the newest MODEL_..._MMDDYY.fls is taken. Without -p the job uses USB.
TQR-03 and TQR-04 files of Intel HEX or S-record text are converted before they are sent.

Settings file:
  A vrtqlx.ini in the working directory makes every start an unattended download and
  the command line is ignored. Section [QLX], keys:
    PORTTYPE    COMn, LPTn, USB or NET (required)
    BAUDRATE    baud rate of a COM port (0 when missing)
    IP          printer address for NET (required then)
    TCPPORT     TCP port for NET (0 when missing)
    MODELNAME   model, e.g. TQR-23
    FWNAME      firmware file name ending in "fls"

Log:
  Errors of unattended runs are appended to _VRT_QLX.txt beside the program and written
  to standard error, each with its reason there. A failed run's last line on standard
  error names the log file. When standard error is a terminal, a progress line shows the
  download.
)";

constexpr const char* kUsageTail = R"(
Exit codes:
  0  the download ran to its end (or help and version were printed)
  1  invalid parameters, or the model choice was cancelled
  2  the download failed: refused at its start, a failed write, a HEX file that does
     not convert, or no connected USB printer of the model
  3  an interactive start where no window can be shown

Environment:
  QLX_COMn=NODE     device of COMn instead of the system's own; a ",nomodem" suffix
                    marks a line without DSR / CTS, such as a pseudo-terminal
  QLX_LPTn=NODE     device of LPTn instead of the system's own
)";

}  // namespace

std::string UsageText() {
  return std::string(kUsage) + platform::LogPlacesHelp() + kUsageTail +
         platform::SystemEnvironmentHelp();
}

std::string VersionLine() {
  return fw::ApplicationTitle() + " " + VRTQLX_VERSION;
}

bool AnswerInformationRequest(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) return false;
  if (arguments[1] == "--help" || arguments[1] == "-h") {
    platform::WriteText(platform::kStandardOutput, UsageText());
  } else if (arguments[1] == "--version" || arguments[1] == "-V") {
    platform::WriteText(platform::kStandardOutput, VersionLine() + "\n");
  } else {
    return false;
  }
  return true;
}
