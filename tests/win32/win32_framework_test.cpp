// The pure pieces of the Win32 backend: the open-file dialog's filter, the in-memory dialog
// template, the PNG file of the rendering hook.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win32/dialog_template_builder.h"
#include "framework/win32/file_dialog_filter.h"
#include "framework/win32/png_file.h"
#include "framework/win32/win32_api.h"

namespace {

TEST(Win32FileDialogFilter, PiecesEndedByZeroAndTheListByOneMore) {
  const struct {
    std::string filter;
    std::string expected;
  } table[] = {
      {"Firmware File(*.fls)|*.fls||", std::string("Firmware File(*.fls)\0*.fls\0\0", 28)},
      {"A|*.fls|B|*.bin||", std::string("A\0*.fls\0B\0*.bin\0\0", 17)},
      // Without the closing "||" the list still ends.
      {"A|*.hex", std::string("A\0*.hex\0\0", 9)},
      {"", std::string("\0\0", 2)},
  };
  for (const auto& row : table) {
    EXPECT_EQ(fw::win32::FileDialogFilter(row.filter), row.expected) << row.filter;
  }
}

TEST(Win32DialogTemplate, HeaderFontAndEachItemOnAFourByteBoundary) {
  fw::DialogTemplate t;
  t.width = 192;
  t.height = 136;
  t.fontName = "Arial";
  t.fontPoints = 8;
  t.style = fw::dialog_style::kPopup | fw::dialog_style::kThinBorder;
  t.controls = {fw::Control(1004, fw::ControlClass::Static, "odd", 7, 13, 184, 11),
                fw::Control(1020, fw::ControlClass::IpAddress, "x", 78, 26, 108, 14),
                fw::Control(-1, fw::ControlClass::OwnerDrawButton, "", 1, 2, 3, 4)};
  const std::vector<uint16_t> words = fw::win32::BuildDialogTemplate(t);
  ASSERT_GT(words.size(), 13u);
  const auto* header = reinterpret_cast<const DLGTEMPLATE*>(words.data());
  EXPECT_EQ(header->style, static_cast<DWORD>(WS_POPUP | WS_BORDER | DS_SETFONT));
  EXPECT_EQ(header->cdit, 3);
  EXPECT_EQ(header->cx, 192);
  EXPECT_EQ(header->cy, 136);
  // Menu, class and an empty caption, then the point size and the face name.
  EXPECT_EQ(words[9], 0);
  EXPECT_EQ(words[10], 0);
  EXPECT_EQ(words[11], 0);
  EXPECT_EQ(words[12], 8);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(&words[13]), 5), u"Arial");

  // Walks the items: each starts on a four-byte boundary with its position and id.
  size_t at = 13 + 6;
  const int ids[] = {1004, 1020, 0xFFFF};
  for (int id : ids) {
    at += at % 2;
    ASSERT_LT(at + 9, words.size());
    const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(&words[at]);
    EXPECT_EQ(item->id, id);
    EXPECT_TRUE(item->style & WS_CHILD);
    at += 9;
    if (words[at] == 0xFFFF) {
      at += 2;  // a class atom
    } else {
      while (words[at++] != 0) {  // a class name
      }
    }
    while (words[at++] != 0) {  // the text
    }
    ++at;  // no creation data
  }
  EXPECT_EQ(at, words.size());
}

TEST(Win32DialogTemplate, ControlStylesOfTheSystemsClasses) {
  using fw::ControlClass;
  namespace cs = fw::style;
  EXPECT_EQ(fw::win32::ControlWindowStyle(ControlClass::Edit, cs::kDigitsOnly) & ES_NUMBER,
            static_cast<uint32_t>(ES_NUMBER));
  EXPECT_EQ(fw::win32::ControlWindowStyle(ControlClass::OwnerDrawButton, 0) & BS_TYPEMASK,
            static_cast<uint32_t>(BS_OWNERDRAW));
  EXPECT_EQ(
      fw::win32::ControlWindowStyle(ControlClass::Radio, cs::kGroup) & (BS_TYPEMASK | WS_GROUP),
      static_cast<uint32_t>(BS_AUTORADIOBUTTON | WS_GROUP));
  // The framework keeps items in the order they were added: the system must not sort.
  EXPECT_EQ(fw::win32::ControlWindowStyle(ControlClass::ComboBox, cs::kSortedList) & CBS_SORT, 0u);
  EXPECT_EQ(fw::win32::ControlWindowStyle(ControlClass::ListBox, cs::kSortedList) & LBS_SORT, 0u);
}

TEST(Win32PngFile, SignatureChunksAndRefusedSizes) {
  const std::vector<uint8_t> png = fw::win32::EncodePng(2, 1, {0xFF0000u, 0x0000FFu});
  ASSERT_GT(png.size(), 8u + 25u + 12u);
  EXPECT_EQ(std::string(png.begin(), png.begin() + 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  EXPECT_EQ(std::string(png.end() - 8, png.end() - 4), "IEND");
  EXPECT_TRUE(fw::win32::EncodePng(0, 1, {}).empty());
  EXPECT_TRUE(fw::win32::EncodePng(2, 2, {1, 2, 3}).empty());
}

}  // namespace
