#include <gtest/gtest.h>

#include <vector>

#include "framework/application.h"
#include "framework/dialog.h"
#include "framework/headless/headless_backend.h"
#include "framework/headless/operator_actions.h"
#include "framework/message_box.h"
#include "platform/clock.h"
#include "support/tick_dialog.h"

namespace {

using testsupport::TickDialog;

class HeadlessLoop : public ::testing::Test {
 protected:
  platform::VirtualClock clock;
  platform::ScopedClock scopedClock{clock};
  fw::HeadlessBackend backend{&clock};
  fw::ScopedBackend scopedBackend{backend};
};

TEST_F(HeadlessLoop, TimerIsPeriodicUntilKilled) {
  TickDialog dlg;
  const uint64_t start = clock.NowMs();
  dlg.onTimer = [&](int id) {
    if (dlg.ticks.size() == 3) {
      dlg.KillTimer(id);
      dlg.PostClose();
    }
  };
  backend.WhenOpened(500, [](fw::Dialog& d) { d.SetTimer(7, 100); });
  EXPECT_EQ(dlg.DoModal(), fw::IDCANCEL);
  ASSERT_EQ(dlg.ticks.size(), 3u);
  EXPECT_EQ(dlg.ticks[0].second - start, 100u);
  EXPECT_EQ(dlg.ticks[1].second - start, 200u);
  EXPECT_EQ(dlg.ticks[2].second - start, 300u);
  EXPECT_EQ(backend.ArmedTimerCount(), 0);
}

TEST_F(HeadlessLoop, KillFirstMakesOneShotChain) {
  TickDialog dlg;
  const uint64_t start = clock.NowMs();
  // Each handler kills the timer that fired and arms the next one, as the engine does.
  dlg.onTimer = [&](int id) {
    dlg.KillTimer(id);
    EXPECT_EQ(backend.ArmedTimerCount(), 0);
    if (id < 3) {
      dlg.SetTimer(id + 1, id == 1 ? 0 : 50);
    } else {
      dlg.EndDialog(fw::IDOK);
    }
  };
  backend.WhenOpened(500, [](fw::Dialog& d) { d.SetTimer(1, 10); });
  EXPECT_EQ(dlg.DoModal(), fw::IDOK);
  ASSERT_EQ(dlg.ticks.size(), 3u);
  EXPECT_EQ(dlg.ticks[0], (std::pair<int, uint64_t>{1, start + 10}));
  EXPECT_EQ(dlg.ticks[1], (std::pair<int, uint64_t>{2, start + 10}));
  EXPECT_EQ(dlg.ticks[2], (std::pair<int, uint64_t>{3, start + 60}));
}

TEST_F(HeadlessLoop, SettingAnArmedTimerAgainReplacesItsPeriod) {
  TickDialog dlg;
  const uint64_t start = clock.NowMs();
  dlg.onTimer = [&](int id) {
    dlg.KillTimer(id);
    dlg.EndDialog(fw::IDOK);
  };
  backend.WhenOpened(500, [](fw::Dialog& d) {
    d.SetTimer(4, 1000);
    d.SetTimer(4, 30);
  });
  dlg.DoModal();
  ASSERT_EQ(dlg.ticks.size(), 1u);
  EXPECT_EQ(dlg.ticks[0].second - start, 30u);
}

TEST_F(HeadlessLoop, PostedCloseArrivesAfterTheHandlerReturns) {
  TickDialog dlg;
  bool handlerFinished = false;
  dlg.onTimer = [&](int id) {
    dlg.KillTimer(id);
    dlg.PostClose();
    EXPECT_FALSE(dlg.EndRequested());
    handlerFinished = true;
  };
  backend.WhenOpened(500, [](fw::Dialog& d) { d.SetTimer(1, 10); });
  EXPECT_EQ(dlg.DoModal(), fw::IDCANCEL);
  EXPECT_TRUE(handlerFinished);
}

TEST_F(HeadlessLoop, TimersKeepFiringInsideAMessageBox) {
  TickDialog dlg;
  std::vector<int> order;
  dlg.onTimer = [&](int id) {
    dlg.KillTimer(id);
    order.push_back(id);
    if (id == 5) {
      dlg.SetTimer(6, 10);  // armed before the box opens, handled while it is open
      fw::MessageBox("notice", "VRT_QLX");
      order.push_back(-5);
    } else if (id == 6) {
      dlg.PostClose();
    }
  };
  backend.SetMessageBoxHoldMs(2000);
  backend.WhenOpened(500, [](fw::Dialog& d) { d.SetTimer(5, 10); });
  dlg.DoModal();
  EXPECT_EQ(order, (std::vector<int>{5, 6, -5}));
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].caption, "VRT_QLX");
}

TEST_F(HeadlessLoop, NestedDialogLoopDispatchesTheOwnersTimers) {
  TickDialog owner(500);
  TickDialog inner(501);
  int ownerTicksWhileInnerOpen = 0;
  owner.onTimer = [&](int id) {
    if (id == 1) {
      owner.KillTimer(1);
      owner.SetTimer(2, 10);
      inner.DoModal();
      owner.EndDialog(fw::IDOK);
    } else {
      ++ownerTicksWhileInnerOpen;
      if (ownerTicksWhileInnerOpen == 4) owner.KillTimer(2);
    }
  };
  backend.WhenOpened(500, [](fw::Dialog& d) { d.SetTimer(1, 10); });
  backend.WhenOpened(
      501, [&](fw::Dialog& d) { backend.After(1000, [&d] { fw::PressKey(d, fw::kVkReturn); }); });
  EXPECT_EQ(owner.DoModal(), fw::IDOK);
  EXPECT_EQ(ownerTicksWhileInnerOpen, 4);
  EXPECT_EQ(backend.OpenedTemplates(), (std::vector<int>{500, 501}));
}

TEST_F(HeadlessLoop, EndingTheProcessUnwindsEveryLoop) {
  TickDialog owner(500);
  TickDialog inner(501);
  int afterInner = fw::IDOK;
  owner.onTimer = [&](int id) {
    owner.KillTimer(id);
    afterInner = inner.DoModal();
  };
  backend.WhenOpened(500, [](fw::Dialog& d) { d.SetTimer(1, 10); });
  backend.WhenOpened(501, [](fw::Dialog&) { fw::Application::EndProcess(1); });
  EXPECT_EQ(owner.DoModal(), fw::IDABORT);
  EXPECT_EQ(afterInner, fw::IDABORT);
  TickDialog later(502);
  EXPECT_EQ(later.DoModal(), fw::IDABORT);
  EXPECT_EQ(fw::MessageBox("x", "y"), fw::IDABORT);
}

TEST_F(HeadlessLoop, ALoopWithNothingLeftToDoGivesUpInsteadOfHanging) {
  TickDialog dlg;
  EXPECT_EQ(dlg.DoModal(), fw::IDABORT);
  EXPECT_EQ(backend.IdleEnds(), 1);
}

TEST_F(HeadlessLoop, TimersOfAClosedDialogAreGone) {
  TickDialog dlg;
  backend.WhenOpened(500, [](fw::Dialog& d) {
    d.SetTimer(1, 10);
    d.EndDialog(fw::IDOK);
  });
  dlg.DoModal();
  EXPECT_EQ(backend.ArmedTimerCount(), 0);
  EXPECT_TRUE(dlg.ticks.empty());
}

TEST(HeadlessRealClock, WaitsForATimerOnTheRealClock) {
  platform::MonotonicClock real;
  fw::HeadlessBackend backend(&real);
  fw::ScopedBackend scoped(backend);
  TickDialog dlg;
  dlg.onTimer = [&](int id) {
    dlg.KillTimer(id);
    dlg.EndDialog(fw::IDOK);
  };
  backend.WhenOpened(500, [](fw::Dialog& d) { d.SetTimer(1, 20); });
  const uint64_t start = real.NowMs();
  EXPECT_EQ(dlg.DoModal(), fw::IDOK);
  EXPECT_GE(real.NowMs() - start, 20u);
}

}  // namespace
