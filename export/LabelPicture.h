// The names written on a map: the label fonts, their measure for
// placeNameLabels, and each placed label painted as a small picture with a
// halo, ready to be laid over the map (LabelOverlay). Needs a
// QGuiApplication (for its fonts); no widgets.
#pragma once

#include <QFont>
#include <QImage>
#include <array>
#include <vector>

#include "render/LabelOverlay.h"
#include "render/MapGeometry.h"
#include "select/NameLabels.h"

namespace tarvelon {

// DejaVu Sans at fixed pixel sizes, antialiased, as the legend: 11, 13, 16
// and 20 pixels by size; regions in capitals spaced a quarter of their size
// apart, relief bold, channels italic (see NameLabels.h).
QFont labelFont(LabelStyle style, int size);

// The halo around each letter, in pixels: dark text in a pale halo reads on
// the darkest and the palest colours of every scheme.
inline constexpr int kHaloPixels = 2;

// Measures with the label fonts.
class LabelFontMeasurer : public LabelMeasurer {
 public:
  LabelFontMeasurer();
  double width(const std::string& name, LabelStyle style, int size) const override;
  double height(LabelStyle style, int size) const override;

 private:
  static constexpr int kStyles = 5;
  std::array<QFont, kStyles * kLabelSizes> fonts_;
  std::array<double, kStyles * kLabelSizes> heights_{};
};

// The label's text in its halo, its top-left pixel placed so that the text
// lies in label.box.
LabelSprite paintLabelSprite(const PlacedLabel& label);
// The sprite as a picture with premultiplied alpha (sharing no memory).
QImage spriteImage(const LabelSprite& sprite);

// The IAU names of Mars (PlaceNames::builtIn) placed and painted for a map
// of `width` x `height` pixels placed by `transform`.
LabelOverlay nameLabelOverlay(const GeoTransform& transform, int width, int height);
// The same for a map of `geometry`, simple cylindrical or projected.
LabelOverlay nameLabelOverlay(const MapGeometry& geometry);

}  // namespace tarvelon
