// Paints a legend laid out by LegendLayout around a map picture, and saves
// the result. Needs a QGuiApplication (for its fonts); no widgets.
#pragma once

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "export/LegendLayout.h"
#include "render/LabelOverlay.h"
#include "render/MapViewState.h"
#include "render/Raster.h"

namespace tarvelon {

// A QGuiApplication for the time a legend or labels are made, when the
// program has none: fonts need one. It runs on the offscreen platform, so no
// display is needed.
class FontsApplication {
 public:
  FontsApplication();
  ~FontsApplication();
  FontsApplication(const FontsApplication&) = delete;
  FontsApplication& operator=(const FontsApplication&) = delete;

 private:
  char name_[16] = "tarvelon";
  char option_[16] = "-platform";
  char platform_[16] = "offscreen";
  char* argv_[4] = {name_, option_, platform_, nullptr};
  int argc_ = 3;
  std::unique_ptr<QGuiApplication> app_;
};

// The legend's fonts: DejaVu Sans (the fonts-dejavu-core package) at
// fixed pixel sizes, antialiased, so that a legend looks the same wherever
// it is made.
QFont legendFont(LegendFont font);

// Measures with the legend's fonts.
class LegendTextMeasure : public TextMeasure {
 public:
  LegendTextMeasure();
  double width(const std::string& text, LegendFont font) const override;
  double ascent(LegendFont font) const override;
  double descent(LegendFont font) const override;

 private:
  std::array<QFont, 4> fonts_;
};

// The map in its legend: `map` (input.geometry's size) laid out and painted.
// On a projected map the pixels `mask` (width x height bytes, see
// Raster::mask; empty: none) marks 0 show no sample and are left white, as
// the sheet around the map.
// `names`, when given, are laid over the map after the graticule's lines,
// which they hide, and the graticule's labels keep clear of them.
QImage legendPicture(const QImage& map, const LegendInput& input, const std::vector<std::uint8_t>& mask = {},
                     const LabelOverlay* names = nullptr);

// Paints `layout` with `map` at its place, and `names` over the map and its
// lines.
QImage paintLegend(const QImage& map, const LegendLayout& layout, const LabelOverlay* names = nullptr);

// Writes the picture as PNG when `path` ends in ".png" (any case), else as
// a 24-bit BMP, through the map writers (MapFile, as writeMapFile): a temporary file
// renamed into place, no world file. Throws WriteError; an old file of that
// name then stays as it was.
void saveLegendPicture(const QImage& picture, const std::string& path);

// For tarvelon-render --legend: the finished map `map` of `geometry`
// (every row drawn), drawn with `state`'s colouring and titled with its
// mapTitle, saved with its legend to `path` as saveLegendPicture does. The
// elevations are measured from the tiles in state.demFolder. Makes a
// QGuiApplication on the offscreen platform for the fonts when there is
// none. Throws TileError, WriteError.
// `names` are written over it as legendPicture does (a simple cylindrical
// map has its names in `map` already, under no lines).
void saveRasterWithLegend(const Raster& map, const MapGeometry& geometry, const MapViewState& state,
                          const LabelOverlay& names, const std::string& path);
// The same with no names to write over it.
void saveRasterWithLegend(const Raster& map, const MapGeometry& geometry, const MapViewState& state,
                          const std::string& path);

}  // namespace tarvelon
