#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include "download/download_dlg.h"
#include "platform/spooler.h"
#include "support/fake_printer.h"

namespace {

// A spooler in memory whose changes can be made to fail for chosen queues.
class FakeSpooler final : public platform::Spooler {
 public:
  std::map<std::string, platform::SpoolerQueue> queues;
  std::set<std::string> refuseChange;
  int changes = 0;

  std::vector<platform::SpoolerQueue> ListQueues() override {
    std::vector<platform::SpoolerQueue> all;
    for (const auto& [name, queue] : queues) all.push_back(queue);
    return all;
  }
  platform::SysResult<platform::SpoolerQueue> GetQueue(const std::string& name) override {
    auto it = queues.find(name);
    if (it == queues.end()) return platform::SysResult<platform::SpoolerQueue>::Fail("get", ENOENT);
    return platform::SysResult<platform::SpoolerQueue>::Ok(it->second);
  }
  platform::SysStatus MoveQueue(const std::string& name, const std::string& uri,
                                std::optional<bool> accepting) override {
    if (refuseChange.count(name) || !queues.count(name)) {
      return platform::SysStatus::Fail("set", EPERM);
    }
    ++changes;
    queues[name].deviceUri = uri;
    if (accepting) queues[name].acceptingJobs = *accepting;
    return platform::OkStatus();
  }
};

TEST(SpoolerGoOnFlag, AQueueThatCannotBeChangedStopsLaterChangesButKeepsTheirRecords) {
  auto fake = std::make_unique<FakeSpooler>();
  FakeSpooler& spool = *fake;
  // Listed in name order: a, b (refuses), c.
  spool.queues["a"] = {"a", "parallel:/dev/lp0", "", true};
  spool.queues["b"] = {"b", "parallel:/dev/lp0", "", true};
  spool.queues["c"] = {"c", "parallel:/dev/lp0", "", true};
  spool.refuseChange = {"b"};
  CDownloadDlg dlg(FakePortBackends(std::make_shared<FakePrinter>()));
  dlg.SetSpooler(std::move(fake));

  dlg.RedirectSpoolerPrinters("LPT1", "");
  EXPECT_EQ(spool.queues["a"].deviceUri, platform::kParkedDeviceUri);
  EXPECT_EQ(spool.queues["b"].deviceUri, "parallel:/dev/lp0");
  EXPECT_EQ(spool.queues["c"].deviceUri, "parallel:/dev/lp0");
  EXPECT_EQ(dlg.savedPrinterPorts.size(), 3u);

  spool.refuseChange.clear();
  dlg.RestoreSpoolerPrinters();
  EXPECT_EQ(spool.queues["a"].deviceUri, "parallel:/dev/lp0");
  EXPECT_TRUE(dlg.savedPrinterPorts.empty());
}

TEST(SpoolerGoOnFlag, AQueueGoneBeforeTheMoveIsSkippedAndTriedAgainAtRestore) {
  auto fake = std::make_unique<FakeSpooler>();
  FakeSpooler& spool = *fake;
  spool.queues["x"] = {"x", "usb://V/TQR-05", "V TQR-05", true};
  CDownloadDlg dlg(FakePortBackends(std::make_shared<FakePrinter>()));
  dlg.SetSpooler(std::move(fake));
  dlg.RedirectSpoolerPrinters("\\\\?\\usb#vid_7a3c&pid_0105#1-1#{x}", "TQR-05");
  EXPECT_EQ(spool.queues["x"].deviceUri, platform::kParkedDeviceUri);
  EXPECT_FALSE(spool.queues["x"].acceptingJobs);
  spool.queues.erase("x");
  dlg.RestoreSpoolerPrinters();  // the queue is gone: its record is dropped all the same
  EXPECT_TRUE(dlg.savedPrinterPorts.empty());
}

}  // namespace
