#include "platform/absent_spooler.h"

namespace platform {

std::unique_ptr<Spooler> CreateSystemSpooler() {
  return CreateAbsentSpooler();
}

std::unique_ptr<Spooler> CreateSystemSpoolerIfRunning() {
  return CreateAbsentSpooler();
}

std::unique_ptr<Spooler> CreateSystemSpoolerToList() {
  return CreateUnreachableSpooler();
}

}  // namespace platform
