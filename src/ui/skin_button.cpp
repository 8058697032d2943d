#include "ui/skin_button.h"

#include "framework/resources.h"

void CSkinButton::LoadBitmaps(unsigned normal, unsigned pressed, unsigned disabled) {
  faceIds.clear();
  facesLoaded = 0;
  const fw::Image* face = fw::FindImage(static_cast<int>(normal));
  if (!face) return;
  bitmapSize = fw::Size{face->width, face->height};
  faceRect = fw::Rect{0, 0, face->width, face->height};
  faceIds.push_back(static_cast<int>(normal));
  // A face that is missing adds no image; drawing then falls back to the normal face.
  for (unsigned id : {pressed, disabled}) {
    if (id != 0 && fw::FindImage(static_cast<int>(id))) faceIds.push_back(static_cast<int>(id));
  }
  facesLoaded = 1;
}

void CSkinButton::SetTextFont(const std::string& face, int height) {
  // Face names hold at most 31 characters.
  captionFont = fw::Font{face.substr(0, 31), height};
}

void CSkinButton::SubclassDlgItem(int id, fw::Dialog& dialog) {
  dialog.AttachOwnerDraw(id, this);
}

void CSkinButton::DrawItem(fw::Dialog& dialog, int id, fw::PaintContext& dc,
                           const fw::DrawItemState& state) {
  const fw::ControlState* control = dialog.Item(id);
  if (!control || control->cls != fw::ControlClass::OwnerDrawButton) return;

  // The button takes the size of its face, whatever size the template gave it.
  const fw::Rect& at = control->rect;
  if (facesLoaded) {
    dialog.SetItemRect(id,
                       fw::Rect{at.left, at.top, at.left + bitmapSize.cx, at.top + bitmapSize.cy});
  }
  const fw::Rect& button = dialog.Item(id)->rect;
  const fw::Point origin{button.left, button.top};

  // The standard push-button frame shows only where no face covers it.
  fw::Pen oldPen = dc.SelectPen(fw::Pen{fw::Rgb(0, 0, 0), 1, false});
  fw::Brush oldBrush = dc.SelectBrush(fw::Brush{fw::Rgb(240, 240, 240), false});
  dc.Rectangle(fw::Rect{origin.x + faceRect.left, origin.y + faceRect.top,
                        origin.x + faceRect.right, origin.y + faceRect.bottom});
  dc.SelectPen(oldPen);
  dc.SelectBrush(oldBrush);

  if (facesLoaded) {
    size_t face = 0;
    if (state.disabled) {
      face = faceIds.size() == 3 ? 2 : 0;
    } else if (state.pressed) {
      face = faceIds.size() >= 2 ? 1 : 0;
    }
    dc.DrawImage(faceIds[face], fw::Point{origin.x + faceRect.left, origin.y + faceRect.top},
                 fw::Rect{});
  }
  if (caption.empty()) return;
  const fw::Color color = state.disabled ? disabledTextColor : textColor;
  if (textX != -1 && textY != -1) {
    dc.DrawText(caption, fw::Point{origin.x + textX, origin.y + textY}, captionFont, color);
  } else {
    dc.DrawTextCentered(caption,
                        fw::Rect{origin.x + faceRect.left, origin.y + faceRect.top,
                                 origin.x + faceRect.right, origin.y + faceRect.bottom},
                        captionFont, color);
  }
}
