#include "windows/WindowFonts.h"

#include <QFontMetrics>

namespace tarvelon {

QStringList narrowFamilies() {
  return {QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow"),
          QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Sans Serif")};
}

QStringList arialFamilies() {
  return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
          QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")};
}

QFont fittedFont(const QStringList& families, int pixelSize, bool bold, const std::vector<TextBox>& boxes,
                 int smallest) {
  QFont font;
  font.setFamilies(families);
  font.setBold(bold);
  for (int size = pixelSize; size >= smallest; --size) {
    font.setPixelSize(size);
    const QFontMetrics metrics(font);
    bool fits = true;
    for (const TextBox& box : boxes) {
      if (metrics.horizontalAdvance(box.text) > box.width) fits = false;
    }
    if (fits) break;
  }
  return font;
}

}  // namespace tarvelon
