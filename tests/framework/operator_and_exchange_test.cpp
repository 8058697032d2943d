#include <gtest/gtest.h>

#include <string>

#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/headless/headless_backend.h"
#include "framework/headless/operator_actions.h"
#include "framework/message_box.h"
#include "platform/clock.h"

namespace {

using fw::Control;
using fw::ControlClass;

// A settings-like form: a radio group, a combo box, a digits-only edit and two buttons.
class FormDialog : public fw::Dialog {
 public:
  static fw::DialogTemplate Template() {
    fw::DialogTemplate t;
    t.id = 700;
    t.width = 200;
    t.height = 100;
    t.fontName = "Arial";
    t.controls = {
        Control(10, ControlClass::Radio, "A", 5, 5, 30, 9, fw::style::kGroup),
        Control(11, ControlClass::Radio, "B", 40, 5, 30, 9),
        Control(12, ControlClass::Radio, "C", 80, 5, 30, 9),
        Control(20, ControlClass::ComboBox, "", 5, 20, 60, 50, fw::style::kEditableDropDown),
        Control(30, ControlClass::Edit, "", 5, 40, 60, 14, fw::style::kDigitsOnly),
        Control(40, ControlClass::OwnerDrawButton, "", 5, 60, 60, 14),
        Control(41, ControlClass::OwnerDrawButton, "", 80, 60, 60, 14),
    };
    return t;
  }

  FormDialog() : fw::Dialog(Template()) {
    Bind(40, fw::Notify::Clicked, [this] {
      if (UpdateData(true)) EndDialog(fw::IDOK);
    });
    Bind(41, fw::Notify::Clicked, [this] { ++disabledClicks; });
    Bind(20, fw::Notify::SelChange, [this] { ++selChanges; });
  }

  bool OnInitDialog() override {
    fw::Dialog::OnInitDialog();
    AddString(20, "one");
    AddString(20, "two");
    EnableItem(41, false);
    return true;
  }
  void DoDataExchange(fw::DataExchange& dx) override {
    dx.Radio(10, choice);
    dx.UInt(30, number);
  }

  int choice = 1;
  uint32_t number = 7;
  int disabledClicks = 0;
  int selChanges = 0;
};

class Operator : public ::testing::Test {
 protected:
  platform::VirtualClock clock;
  platform::ScopedClock scopedClock{clock};
  fw::HeadlessBackend backend{&clock};
  fw::ScopedBackend scopedBackend{backend};
};

TEST_F(Operator, ExchangesRadioAndNumberBothWays) {
  FormDialog dlg;
  backend.WhenOpened(700, [](fw::Dialog& d) {
    EXPECT_TRUE(d.IsItemChecked(11));
    EXPECT_EQ(d.GetItemText(30), "7");
    EXPECT_TRUE(fw::Click(d, 12));
    EXPECT_FALSE(d.IsItemChecked(11));
    EXPECT_TRUE(fw::TypeText(d, 30, "9100"));
    fw::Click(d, 40);
  });
  EXPECT_EQ(dlg.DoModal(), fw::IDOK);
  EXPECT_EQ(dlg.choice, 2);
  EXPECT_EQ(dlg.number, 9100u);
}

TEST_F(Operator, BadNumberShowsThePositiveIntegerMessageAndKeepsTheDialogOpen) {
  FormDialog dlg;
  backend.WhenOpened(700, [](fw::Dialog& d) {
    fw::TypeText(d, 30, "");
    fw::Click(d, 40);
    EXPECT_FALSE(d.EndRequested());
    fw::TypeText(d, 30, "12");
    fw::Click(d, 40);
  });
  EXPECT_EQ(dlg.DoModal(), fw::IDOK);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].text, fw::kPositiveIntegerMessage);
  EXPECT_EQ(dlg.number, 12u);
}

TEST_F(Operator, DisabledControlsIgnoreTheOperatorAndDigitsOnlyRefusesLetters) {
  FormDialog dlg;
  backend.WhenOpened(700, [](fw::Dialog& d) {
    EXPECT_FALSE(fw::Click(d, 41));
    EXPECT_FALSE(fw::TypeText(d, 30, "12a"));
    EXPECT_TRUE(fw::SelectItem(d, 20, 1));
    EXPECT_EQ(d.GetItemText(20), "two");
    EXPECT_FALSE(fw::SelectItem(d, 20, 2));
    fw::TypeText(d, 20, "own");
    EXPECT_EQ(d.GetCurSel(20), -1);
    fw::PressKey(d, fw::kVkEscape);
  });
  EXPECT_EQ(dlg.DoModal(), fw::IDCANCEL);
  EXPECT_EQ(dlg.disabledClicks, 0);
  EXPECT_EQ(dlg.selChanges, 1);
}

TEST_F(Operator, FileDialogAnswersFromTheScript) {
  EXPECT_EQ(fw::FileOpenDialog("F(*.fls)|*.fls||", "/tmp"), std::nullopt);
  backend.WhenFileDialog([](const std::string& filter, const std::string& dir) {
    return std::optional<std::string>(dir + "/" + filter.substr(0, 1));
  });
  EXPECT_EQ(fw::FileOpenDialog("F(*.fls)|*.fls||", "/tmp"), "/tmp/F");
  EXPECT_EQ(backend.FileDialogFilters().size(), 2u);
}

TEST(ParseUnsigned, ReadsDecimalNumbersOnly) {
  struct Row {
    const char* text;
    bool ok;
    uint32_t value;
  };
  const Row rows[] = {
      {"0", true, 0},           {"9100", true, 9100},
      {" 42 ", true, 42},       {"4294967295", true, UINT32_MAX},
      {"4294967296", false, 0}, {"", false, 0},
      {"-1", false, 0},         {"12x", false, 0},
      {"+5", false, 0},
  };
  for (const auto& row : rows) {
    uint32_t value = 0;
    EXPECT_EQ(fw::ParseUnsigned(row.text, value), row.ok) << row.text;
    if (row.ok) {
      EXPECT_EQ(value, row.value) << row.text;
    }
  }
}

}  // namespace
