// Which IAU names a map shows and where their labels go: chosen from the
// map's georeference alone, before or after the map is drawn, with the text
// measured by whoever paints it. No Qt.
//
// The rules, as a map maker sets names:
//  - Scale: a feature is named when it is big enough on the map to be made
//    out, its size at least kMinDiameterPixels (24) pixels north to south.
//    Its size is its diameter, except for the lesser kinds whose "diameter"
//    is the length of a scarp, ridge or set of troughs around or across
//    greater features (fossa, sulcus, dorsum, rupes, unda, collis, cavus,
//    catena, scopulus, lingula, labes, fluctus, serpens, arcus, mensa): they
//    count kLesserKindShare (0.3) of it, so that Olympus Rupes gives way to
//    Olympus Mons and a map is not lined with troughs. An albedo feature has
//    no outline: it counts as kAlbedoDiameterKm (500 km) for this rule and
//    for its anchor, and is placed only after every real feature, in the
//    room they leave.
//  - The larger feature wins: real features are placed by size, largest
//    first, each
//    where its label overlaps no label placed before (kLabelMargin pixels
//    apart) and runs off no edge (the same margin). Its label is tried
//    centred on the feature, then above, below, right and left of the
//    centre, the middle of the label staying inside the feature's circle;
//    a name that fits none of these is left out.
//  - Style by kind: broad regions (planitia, planum, terra, vastitas, regio,
//    mare, palus, sinus, lacus, and albedo features) in spaced capitals;
//    mountains and mesas (mons, tholus, patera, collis, mensa) bold; valleys
//    and troughs (vallis, chasma, fossa, catena, labyrinthus, sulcus, cavus)
//    italic; craters and the rest upright. Text grows with the feature's
//    size on the map in four steps.
//  - Longitudes wrap: a feature at L shows on a map whose longitudes run on
//    past 180 (as L + 360) or start below -180 (as L - 360).
//  - On a projected map the feature's centre is where the projection puts
//    it, and its circle is sized by the scale there: a polar stereographic
//    map is conformal, so the circle stays round, grown by the point scale;
//    on the globe it is foreshortened towards the rim (its axis along the
//    radius from the globe's centre shrinks by cos c, c the angle from the
//    centre; the other keeps its size). A feature on the globe's far side
//    or outside the part of the planet the map shows is not named, and a
//    label lies wholly over that part.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "render/MapGeometry.h"
#include "select/PlaceNames.h"

namespace tarvelon {

// How a kind of feature is lettered.
enum class LabelStyle {
  Region,   // S P A C E D  C A P I T A L S
  Crater,   // upright
  Relief,   // bold
  Channel,  // italic
  Other,    // upright
};

LabelStyle labelStyleOf(const NamedPlace& place);

// Text sizes, small to large.
inline constexpr int kLabelSizes = 4;

// Measures a name as it will be painted, in pixels.
class LabelMeasurer {
 public:
  virtual ~LabelMeasurer() = default;
  virtual double width(const std::string& name, LabelStyle style, int size) const = 0;
  // The height of a line of text (ascent and descent).
  virtual double height(LabelStyle style, int size) const = 0;
};

inline constexpr double kMinDiameterPixels = 24;
inline constexpr double kAlbedoDiameterKm = 500;
inline constexpr double kLabelMargin = 4;
inline constexpr double kLesserKindShare = 0.3;

// The size a feature's label goes by, in km (see the scale rule above).
double labelSizeKm(const NamedPlace& place);

struct LabelBox {
  double x = 0, y = 0, width = 0, height = 0;  // pixels, from the map's top-left corner
  bool overlaps(const LabelBox& other, double margin) const {
    return x < other.x + other.width + margin && other.x < x + width + margin && y < other.y + other.height + margin &&
           other.y < y + height + margin;
  }
  double centreX() const { return x + width / 2; }
  double centreY() const { return y + height / 2; }
};

struct PlacedLabel {
  const NamedPlace* place = nullptr;
  LabelStyle style = LabelStyle::Crater;
  int size = 0;  // 0 .. kLabelSizes - 1
  // The feature on the map: its centre and the half-axes of its circle
  // (wider than high away from the equator), in pixels.
  double centreX = 0, centreY = 0, radiusX = 0, radiusY = 0;
  LabelBox box;  // the text's box; its middle is the label's anchor
};

// The feature's circle on the map, in pixels; false when its centre lies off
// the map (after trying the longitude as it is, 360 more and 360 less).
// radiusX and radiusY are the circle's reach along the map's rows and
// columns from its centre.
struct FeatureOnMap {
  double centreX = 0, centreY = 0, radiusX = 0, radiusY = 0;
  double diameterPixels = 0;  // labelSizeKm, north to south (on the globe: across the line to its centre)
};
bool featureOnMap(const NamedPlace& place, const GeoTransform& transform, int width, int height, FeatureOnMap& out);
// The same on a projected map: false also on the globe's far side and
// outside the part of the planet the map shows.
bool featureOnMap(const NamedPlace& place, const ProjectedFrame& frame, FeatureOnMap& out);

// The labels of `places` on a map of `width` x `height` pixels placed by
// `transform`, in the order they were placed (largest first).
std::vector<PlacedLabel> placeNameLabels(std::span<const NamedPlace> places, const GeoTransform& transform, int width,
                                         int height, const LabelMeasurer& measure);
// The labels of a projected map of `frame`.
std::vector<PlacedLabel> placeNameLabels(std::span<const NamedPlace> places, const ProjectedFrame& frame,
                                         const LabelMeasurer& measure);
// The labels of a map of `geometry`, simple cylindrical or projected.
std::vector<PlacedLabel> placeNameLabels(std::span<const NamedPlace> places, const MapGeometry& geometry,
                                         const LabelMeasurer& measure);

}  // namespace tarvelon
