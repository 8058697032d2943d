#pragma once

#include <string>

#include "framework/dialog.h"
#include "framework/geometry.h"
#include "framework/paint_context.h"

// A push button whose face is a bitmap chosen by the button's state (normal, pressed,
// disabled), with its caption drawn over the face in a font and colours of its own.
class CSkinButton : public fw::OwnerDrawControl {
 public:
  void LoadBitmaps(unsigned normal, unsigned pressed, unsigned disabled);
  void SetText(const std::string& text) { caption = text; }
  void SetTextFont(const std::string& face, int height);
  void SetTextPos(int x, int y) {
    textX = x;
    textY = y;
  }
  void SetTextColors(const fw::Color& normal, const fw::Color& disabled) {
    textColor = normal;
    disabledTextColor = disabled;
  }
  // Attaches the button to the dialog's control `id`; from then on it paints that control.
  void SubclassDlgItem(int id, fw::Dialog& dialog);

  void DrawItem(fw::Dialog& dialog, int id, fw::PaintContext& dc,
                const fw::DrawItemState& state) override;

  // The faces the button holds: 0 normal, 1 pressed, 2 disabled.
  int FaceCount() const { return static_cast<int>(faceIds.size()); }

 private:
  fw::Size bitmapSize;
  std::vector<int> faceIds;
  int facesLoaded = 0;
  std::string caption;
  fw::Rect faceRect;
  fw::Color textColor{255, 255, 255};
  fw::Color disabledTextColor{255, 255, 255};
  int textX = -1;
  int textY = -1;
  fw::Font captionFont;
};
