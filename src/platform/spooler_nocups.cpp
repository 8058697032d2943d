#include "platform/absent_spooler.h"

namespace platform {

std::unique_ptr<Spooler> CreateSystemSpooler() {
  return CreateAbsentSpooler();
}

}  // namespace platform
