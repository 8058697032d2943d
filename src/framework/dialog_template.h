#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/geometry.h"

namespace fw {

enum class ControlClass {
  Static,
  Picture,
  PushButton,
  OwnerDrawButton,
  ComboBox,
  ListBox,
  Radio,
  GroupBox,
  Edit,
  IpAddress,
  Icon,
};

// Control style bits the program's templates use.
namespace style {
constexpr uint32_t kTabStop = 1u << 0;
constexpr uint32_t kGroup = 1u << 1;  // starts a radio group
constexpr uint32_t kDigitsOnly = 1u << 2;
constexpr uint32_t kRightAlign = 1u << 3;
constexpr uint32_t kCenterVertically = 1u << 4;
constexpr uint32_t kNoWrap = 1u << 5;
constexpr uint32_t kBorder = 1u << 6;
constexpr uint32_t kEditableDropDown = 1u << 7;
constexpr uint32_t kVerticalScroll = 1u << 8;
constexpr uint32_t kAutoHorizontalScroll = 1u << 9;
constexpr uint32_t kSortedList = 1u << 10;
// A list box without it shows whole rows only: its height is trimmed to a whole number of
// items.
constexpr uint32_t kNoIntegralHeight = 1u << 11;
}  // namespace style

// Window style bits of a dialog template.
namespace dialog_style {
constexpr uint32_t kPopup = 1u << 0;
constexpr uint32_t kVisible = 1u << 1;
constexpr uint32_t kThinBorder = 1u << 2;
constexpr uint32_t kCaption = 1u << 3;
constexpr uint32_t kSystemMenu = 1u << 4;
constexpr uint32_t kModalFrame = 1u << 5;
constexpr uint32_t kSystemModal = 1u << 6;
constexpr uint32_t kAppWindow = 1u << 7;  // has a taskbar button
}  // namespace dialog_style

struct ControlTemplate {
  int id = 0;
  ControlClass cls = ControlClass::Static;
  std::string text;
  Rect dlu;  // position and size in dialog units: left, top, right = left + w, bottom = top + h
  uint32_t style = 0;
  int imageId = 0;  // picture and icon controls
};

struct DialogTemplate {
  int id = 0;
  int width = 0;  // dialog units
  int height = 0;
  std::string fontName;
  int fontPoints = 8;
  uint32_t style = 0;
  std::string caption;
  std::vector<ControlTemplate> controls;
};

// Builds a control row from the x, y, w, h a template lists.
inline ControlTemplate Control(int id, ControlClass cls, std::string text, int x, int y, int w,
                               int h, uint32_t styleBits = 0, int imageId = 0) {
  return ControlTemplate{id, cls, std::move(text), Rect{x, y, x + w, y + h}, styleBits, imageId};
}

}  // namespace fw
