#include "framework/qt/dlu_metrics.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <cmath>

namespace fw::qt {

namespace {
constexpr int kDefaultPixelSize = 11;  // 8 points at 96 dots per inch
}  // namespace

QFont CrispFont(const std::string& family, int pixelSize) {
  QFont font(QString::fromStdString(family));
  font.setPixelSize(pixelSize > 0 ? pixelSize : kDefaultPixelSize);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

QFont DluMetrics::DialogFont(const std::string& family, int points) {
  const int pixels = static_cast<int>(std::lround(points * 96.0 / 72.0));
  return CrispFont(family, pixels);
}

Size DluMetrics::BaseUnits(const std::string& family, int points) {
  const auto key = std::make_pair(family, points);
  if (auto it = baseUnits_.find(key); it != baseUnits_.end()) return it->second;
  const QFont font = DialogFont(family, points);
  // The average width of the 52 letters, rounded, and the full character cell (ascent plus
  // descent plus one): Qt's height() leaves out the cell's last pixel row.
  const int letters =
      QFontMetrics(font).horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const QFontMetricsF exact(font);
  const Size units{(letters / 26 + 1) / 2,
                   static_cast<int>(std::ceil(exact.ascent()) + std::ceil(exact.descent()))};
  baseUnits_[key] = units;
  return units;
}

QFont DluMetrics::PaintFont(const Font& font) {
  const auto key = std::make_pair(font.face, font.height);
  if (auto it = paintFonts_.find(key); it != paintFonts_.end()) return it->second;
  int pixels = kDefaultPixelSize;
  if (font.height < 0) {
    pixels = -font.height;
  } else if (font.height > 0) {
    // Find the em size whose cell is the height asked for.
    const QFontMetricsF reference(CrispFont(font.face, 100));
    const double cellPerEm = (reference.ascent() + reference.descent()) / 100.0;
    pixels = std::max(1, static_cast<int>(std::lround(font.height / cellPerEm)));
  }
  QFont result = CrispFont(font.face, pixels);
  paintFonts_[key] = result;
  return result;
}

}  // namespace fw::qt
