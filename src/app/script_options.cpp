#include "app/script_options.h"

#include "app/job_values.h"

std::optional<ScriptOptions> TakeScriptOptions(std::vector<std::string>& arguments,
                                               std::string& error) {
  ScriptOptions options;
  size_t next = 1;
  while (next < arguments.size() && arguments[next].rfind("--", 0) == 0) {
    const std::string& option = arguments[next];
    if (option == "--json") {
      options.json = true;
    } else if (option == "--dry-run") {
      options.dryRun = true;
    } else if (option == "--list") {
      options.list = true;
    } else if (option == "--quiet") {
      options.quiet = true;
    } else if (option == "--log") {
      // "--log -s ..." would make "-s" the log and the job interactive: a name that looks
      // like an option is refused (a file of that name is "./-s").
      if (next + 1 >= arguments.size() || arguments[next + 1].empty() ||
          arguments[next + 1][0] == '-') {
        error = "--log needs a file name";
        if (next + 1 < arguments.size() && !arguments[next + 1].empty()) {
          const std::string shown = ShownValue(arguments[next + 1]);
          error += ", not the option " + shown + " (write ./" + shown + " for a file of that name)";
        }
        return std::nullopt;
      }
      options.logFile = arguments[++next];
    } else {
      error = "unknown option " + option;
      return std::nullopt;
    }
    ++next;
  }
  arguments.erase(arguments.begin() + 1, arguments.begin() + static_cast<long>(next));
  return options;
}
