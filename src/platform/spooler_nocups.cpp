#include "platform/spooler.h"

namespace platform {

namespace {

// A build without CUPS sees no spooler: no queues, and nothing to change.
class AbsentSpooler final : public Spooler {
 public:
  std::vector<SpoolerQueue> ListQueues() override { return {}; }
  SysResult<SpoolerQueue> GetQueue(const std::string&) override {
    return SysResult<SpoolerQueue>::Fail("spooler", ENOSYS);
  }
  SysStatus PauseQueue(const std::string&, const std::string&) override { return Absent(); }
  SysStatus ResumeQueue(const std::string&) override { return Absent(); }
  SysStatus SetAcceptingJobs(const std::string&, bool) override { return Absent(); }

 private:
  static SysStatus Absent() { return SysStatus::Fail("spooler", ENOSYS); }
};

}  // namespace

std::unique_ptr<Spooler> CreateSystemSpooler() {
  return std::make_unique<AbsentSpooler>();
}

}  // namespace platform
