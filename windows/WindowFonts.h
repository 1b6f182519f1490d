// Fonts for the side windows. Their layouts give each text a fixed box; the
// fonts named there may be missing, and a stand-in that is wider is made
// smaller until every text fits its box.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <vector>

namespace tarvelon {

struct TextBox {
  QString text;
  int width;
};

// The narrow sans-serif fonts that stand in for "Arial Narrow", best first.
QStringList narrowFamilies();
// The same for "Arial".
QStringList arialFamilies();

// `families` at `pixelSize` pixels (bold if asked), one pixel smaller at a
// time, down to `smallest`, until every text of `boxes` fits its width.
QFont fittedFont(const QStringList& families, int pixelSize, bool bold, const std::vector<TextBox>& boxes,
                 int smallest = 9);

}  // namespace tarvelon
