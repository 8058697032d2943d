#include "framework/qt/widget_factory.h"

#include "framework/qt/button_views.h"
#include "framework/qt/choice_views.h"
#include "framework/qt/edit_views.h"
#include "framework/qt/static_views.h"

namespace fw::qt {

ControlView* CreateControlView(DialogWindow& window, size_t index) {
  switch (window.Model().Controls()[index].cls) {
    case ControlClass::Picture:
    case ControlClass::Icon:
      return new PictureView(window, index);
    case ControlClass::PushButton:
      return new PushButtonView(window, index);
    case ControlClass::OwnerDrawButton:
      return new OwnerDrawButtonView(window, index);
    case ControlClass::ComboBox:
      return new ComboView(window, index);
    case ControlClass::ListBox:
      return new ListView(window, index);
    case ControlClass::Radio:
      return new RadioView(window, index);
    case ControlClass::GroupBox:
      return new GroupBoxView(window, index);
    case ControlClass::Edit:
      return new EditView(window, index);
    case ControlClass::IpAddress:
      return new IpAddressView(window, index);
    case ControlClass::Static:
      break;
  }
  return new StaticView(window, index);
}

}  // namespace fw::qt
