#include "app/script_options.h"

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
    } else if (option == "--quiet") {
      options.quiet = true;
    } else if (option == "--log") {
      if (next + 1 >= arguments.size() || arguments[next + 1].empty()) {
        error = "--log needs a file name";
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
