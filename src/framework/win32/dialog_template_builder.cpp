#include "framework/win32/dialog_template_builder.h"

#include "framework/win32/win32_api.h"

namespace fw::win32 {

namespace {

// The predefined class atoms a template may name instead of a class string.
constexpr uint16_t kButtonAtom = 0x0080;
constexpr uint16_t kEditAtom = 0x0081;
constexpr uint16_t kStaticAtom = 0x0082;
constexpr uint16_t kListBoxAtom = 0x0083;
constexpr uint16_t kComboBoxAtom = 0x0085;

class Writer {
 public:
  void Word(uint16_t value) { words_.push_back(value); }
  void Dword(uint32_t value) {
    Word(static_cast<uint16_t>(value & 0xFFFFu));
    Word(static_cast<uint16_t>(value >> 16));
  }
  void Short(int value) { Word(static_cast<uint16_t>(static_cast<int16_t>(value))); }
  // Text of the templates is 8-bit; the template holds it as UTF-16 of the same code
  // points, which is what the ANSI code page Windows-1252 maps its Latin-1 range to.
  void Text(const std::string& text) {
    for (unsigned char c : text) Word(c);
    Word(0);
  }
  void AlignToDword() {
    if (words_.size() % 2 != 0) Word(0);
  }
  std::vector<uint16_t> Take() { return std::move(words_); }

 private:
  std::vector<uint16_t> words_;
};

uint32_t DialogWindowStyle(uint32_t bits) {
  uint32_t s = DS_SETFONT;
  if (bits & dialog_style::kPopup) s |= WS_POPUP;
  if (bits & dialog_style::kVisible) s |= WS_VISIBLE;
  if (bits & dialog_style::kThinBorder) s |= WS_BORDER;
  if (bits & dialog_style::kCaption) s |= WS_CAPTION;
  if (bits & dialog_style::kSystemMenu) s |= WS_SYSMENU;
  if (bits & dialog_style::kModalFrame) s |= DS_MODALFRAME;
  if (bits & dialog_style::kSystemModal) s |= DS_SYSMODAL;
  return s;
}

// A class atom, or 0 for the one control whose class is a name.
uint16_t ClassAtom(ControlClass cls) {
  switch (cls) {
    case ControlClass::Static:
    case ControlClass::Picture:
    case ControlClass::Icon:
      return kStaticAtom;
    case ControlClass::PushButton:
    case ControlClass::OwnerDrawButton:
    case ControlClass::Radio:
    case ControlClass::GroupBox:
      return kButtonAtom;
    case ControlClass::ComboBox:
      return kComboBoxAtom;
    case ControlClass::ListBox:
      return kListBoxAtom;
    case ControlClass::Edit:
      return kEditAtom;
    case ControlClass::IpAddress:
      return 0;
  }
  return kStaticAtom;
}

}  // namespace

uint32_t ControlWindowStyle(ControlClass cls, uint32_t bits) {
  uint32_t s = WS_CHILD | WS_VISIBLE;
  if (bits & style::kTabStop) s |= WS_TABSTOP;
  if (bits & style::kGroup) s |= WS_GROUP;
  if (bits & style::kBorder) s |= WS_BORDER;
  if (bits & style::kVerticalScroll) s |= WS_VSCROLL;
  switch (cls) {
    case ControlClass::Static:
      s |= (bits & style::kRightAlign) ? SS_RIGHT
           : (bits & style::kNoWrap)   ? SS_LEFTNOWORDWRAP
                                       : SS_LEFT;
      if (bits & style::kCenterVertically) s |= SS_CENTERIMAGE;
      break;
    case ControlClass::Picture:
      s |= SS_BITMAP;
      break;
    case ControlClass::Icon:
      s |= SS_ICON;
      break;
    case ControlClass::PushButton:
      s |= BS_PUSHBUTTON;
      break;
    case ControlClass::OwnerDrawButton:
      s |= BS_OWNERDRAW;
      break;
    case ControlClass::Radio:
      s |= BS_AUTORADIOBUTTON;
      break;
    case ControlClass::GroupBox:
      s |= BS_GROUPBOX;
      break;
    case ControlClass::ComboBox:
      // The framework keeps the items in the order they were added, so the window system
      // must not sort them: the indices of both would part.
      s |= (bits & style::kEditableDropDown) ? CBS_DROPDOWN : CBS_DROPDOWNLIST;
      if (bits & style::kAutoHorizontalScroll) s |= CBS_AUTOHSCROLL;
      break;
    case ControlClass::ListBox:
      s |= LBS_NOTIFY | WS_BORDER;
      if (bits & style::kNoIntegralHeight) s |= LBS_NOINTEGRALHEIGHT;
      break;
    case ControlClass::Edit:
      if (bits & style::kDigitsOnly) s |= ES_NUMBER;
      if (bits & style::kRightAlign) s |= ES_RIGHT;
      if (bits & style::kAutoHorizontalScroll) s |= ES_AUTOHSCROLL;
      break;
    case ControlClass::IpAddress:
      break;
  }
  return s;
}

std::vector<uint16_t> BuildDialogTemplate(const DialogTemplate& tmpl) {
  Writer w;
  w.Dword(DialogWindowStyle(tmpl.style));
  w.Dword((tmpl.style & dialog_style::kAppWindow) ? WS_EX_APPWINDOW : 0);
  w.Word(static_cast<uint16_t>(tmpl.controls.size()));
  w.Short(0);
  w.Short(0);
  w.Short(tmpl.width);
  w.Short(tmpl.height);
  w.Word(0);  // no menu
  w.Word(0);  // the dialog class
  w.Text(tmpl.caption);
  w.Word(static_cast<uint16_t>(tmpl.fontPoints));
  w.Text(tmpl.fontName);
  for (const ControlTemplate& c : tmpl.controls) {
    w.AlignToDword();
    w.Dword(ControlWindowStyle(c.cls, c.style));
    w.Dword(0);
    w.Short(c.dlu.left);
    w.Short(c.dlu.top);
    w.Short(c.dlu.Width());
    w.Short(c.dlu.Height());
    w.Word(static_cast<uint16_t>(c.id));
    if (const uint16_t atom = ClassAtom(c.cls)) {
      w.Word(0xFFFF);
      w.Word(atom);
    } else {
      w.Text(WC_IPADDRESSA);
    }
    // Pictures and icons get their image once the window is there; their text would be
    // taken for the name of a resource.
    const bool image = c.cls == ControlClass::Picture || c.cls == ControlClass::Icon;
    w.Text(image ? std::string() : c.text);
    w.Word(0);  // no creation data
  }
  return w.Take();
}

}  // namespace fw::win32
