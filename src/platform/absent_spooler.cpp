#include "platform/absent_spooler.h"

namespace platform {

namespace {

class AbsentSpooler final : public Spooler {
 public:
  SysResult<std::vector<SpoolerQueue>> ListQueues() override {
    return SysResult<std::vector<SpoolerQueue>>::Ok({});
  }
  SysResult<SpoolerQueue> GetQueue(const std::string&) override {
    return SysResult<SpoolerQueue>::Fail("spooler", ENOSYS);
  }
  SysStatus PauseQueue(const std::string&, const std::string&) override { return Absent(); }
  SysStatus ResumeQueue(const std::string&) override { return Absent(); }
  SysStatus SetAcceptingJobs(const std::string&, bool, const std::string&) override {
    return Absent();
  }

 private:
  static SysStatus Absent() { return SysStatus::Fail("spooler", ENOSYS); }
};

}  // namespace

std::unique_ptr<Spooler> CreateAbsentSpooler() {
  return std::make_unique<AbsentSpooler>();
}

}  // namespace platform
