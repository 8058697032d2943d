#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "app/event_log.h"
#include "app/model_codes.h"
#include "download/download_dlg.h"
#include "support/fake_printer.h"
#include "framework/backend.h"
#include "framework/headless/headless_backend.h"
#include "platform/clock.h"
#include "support/temp_dir.h"

// Runs the main window headless on a virtual clock, in a scratch working directory (the
// driver files land there), with every port leading to a fake printer.
class EngineTest : public ::testing::Test {
 protected:
  EngineTest() {
    backend.RecordPaint(true);
    char here[4096];
    previousDir = getcwd(here, sizeof here) ? here : "/";
    EXPECT_EQ(chdir(work.path().c_str()), 0);
  }
  ~EngineTest() override { EXPECT_EQ(chdir(previousDir.c_str()), 0); }

  std::unique_ptr<CDownloadDlg> Window(int32_t model, const std::string& portName,
                                       const std::string& firmware) {
    auto dlg = std::make_unique<CDownloadDlg>(FakePortBackends(printer));
    dlg->modelCode = model;
    dlg->modelName = "model";
    dlg->port.portName = portName;
    dlg->firmwarePath = firmware;
    return dlg;
  }

  // A silent run: the window starts the download itself and closes when it has ended.
  void RunSilent(CDownloadDlg& dlg) {
    dlg.silent = 1;
    start = clock.NowMs();
    dlg.DoModal();
  }

  std::string Firmware(const std::string& bytes, const std::string& name = "fw.fls") {
    testsupport::WriteFile(work.Join(name), bytes);
    return work.Join(name);
  }

  // The text of the last line the event log gathered, without time stamp and line end.
  static std::string LastLogLine() {
    const std::string& lines = CEventLog::GetInstance()->PendingLines();
    if (lines.size() < 2) return std::string();
    const size_t end = lines.size() - 2;
    const size_t begin = lines.rfind("\r\n", end - 1);
    const std::string line = lines.substr(begin == std::string::npos ? 0 : begin + 2,
                                          end - (begin == std::string::npos ? 0 : begin + 2));
    const size_t text = line.find("]  ");
    return text == std::string::npos ? line : line.substr(text + 3);
  }

  // Progress values the bar was painted with, one per paint of the bar alone.
  std::vector<int> BarProgress() const {
    std::vector<int> values;
    for (const auto& frame : backend.Frames()) {
      if (frame.invalidated.size() != 1 || !(frame.invalidated[0] == CDownloadDlg::kBarRect)) {
        continue;
      }
      for (const auto& op : frame.ops) {
        if (op.kind == fw::PaintOp::Kind::Rectangle && op.rect.left == 9 && op.rect.top == 201) {
          values.push_back(op.rect.right - 9);
        }
      }
    }
    return values;
  }

  platform::VirtualClock clock;
  platform::ScopedClock scopedClock{clock};
  fw::HeadlessBackend backend{&clock};
  fw::ScopedBackend scopedBackend{backend};
  testsupport::TempDir work;
  std::string previousDir;
  std::shared_ptr<FakePrinter> printer = std::make_shared<FakePrinter>();
  uint64_t start = 0;
};
