// The annotated map of Mars that shows the sixteen tiles: a shaded relief
// of the planet with white tile lines and numbers and the names of major
// features in black (plains, regions, volcanoes), blue (craters) and red
// (valleys).
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

#include "select/Gazetteer.h"
#include "tools/DemoTerrain.h"

namespace tarvelon::assets {

inline constexpr int kAnnotatedWidth = 1440;
inline constexpr int kAnnotatedHeight = 720;

enum class FeatureKind {
  Region,   // plains, terrae, regions: black, no mark
  Volcano,  // black, with a mark
  Crater,   // blue, with a mark
  Valley,   // red
};

// A named feature and where it is: the centre of its gazetteer rectangle,
// or, where it has none, its place by hand.
struct AnnotatedFeature {
  const char* name;
  FeatureKind kind;
  double longitude;  // degrees east, -180 .. 180
  double latitude;
};

// The 41 features written on the map. Throws std::logic_error when the
// gazetteer lacks one of the names it is looked up by.
const std::vector<AnnotatedFeature>& annotatedFeatures();

// The centre of a gazetteer rectangle, as a label's place: the longitude in
// -180 .. 180 also for a rectangle that runs past 180.
double gazetteerLongitude(const FeatureRow& row);
double gazetteerLatitude(const FeatureRow& row);

struct PlacedLabel {
  QString text;
  QColor colour;
  QPointF anchor;    // the feature's pixel
  QRectF box;        // the text with its halo
  QRectF mark;       // the feature's mark, or empty
};

struct AnnotatedLayout {
  std::vector<QRectF> tileNumbers;  // boxes of "1" .. "16", with their halos
  std::vector<PlacedLabel> labels;
};

// The fonts of the names and of the tile numbers.
QFont annotatedLabelFont();
QFont annotatedNumberFont();

// Places every name near its feature so that no two labels, marks or tile
// numbers overlap and all lie inside the map. Throws std::runtime_error
// when a name finds no free place.
AnnotatedLayout annotatedLayout();

// The map itself.
QImage annotatedMap(const demo::GlobalGrid& grid);

}  // namespace tarvelon::assets
