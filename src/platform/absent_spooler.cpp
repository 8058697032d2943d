#include "platform/absent_spooler.h"

namespace platform {

namespace {

class AbsentSpooler final : public Spooler {
 public:
  explicit AbsentSpooler(bool listingFails) : listingFails_(listingFails) {}
  SysResult<std::vector<SpoolerQueue>> ListQueues() override {
    if (listingFails_) return SysResult<std::vector<SpoolerQueue>>::Fail("spooler", EHOSTUNREACH);
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
  bool listingFails_;
};

}  // namespace

std::unique_ptr<Spooler> CreateAbsentSpooler() {
  return std::make_unique<AbsentSpooler>(false);
}

std::unique_ptr<Spooler> CreateUnreachableSpooler() {
  return std::make_unique<AbsentSpooler>(true);
}

}  // namespace platform
