// The legend around a saved map: where the map, its frame, the latitude
// and longitude ticks, the title, the colour bar, the scale bars and the
// credit for the data go, with every text and tick value. Both front ends
// lay a legend out here and paint it with LegendPicture.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dem/TileSetReader.h"
#include "export/LegendGraticule.h"
#include "render/ColourFunction.h"
#include "render/Colouring.h"
#include "render/MapGeometry.h"
#include "render/MapViewState.h"

namespace tarvelon {

// The credit for the elevations, on every legend drawn from the MOLA tiles.
inline constexpr const char* kLegendCredit =
    "Elevations: Mars Orbiter Laser Altimeter (MOLA) gridded data, 128 pixels per degree, from the NASA Mars "
    "Global Surveyor MOLA Science Team, distributed by the NASA Planetary Data System.";
// What a simple cylindrical map is drawn on (projectionNote says it for the
// others).
inline constexpr const char* kLegendProjection =
    "Simple cylindrical projection on the Mars 2000 sphere (radius 3396.19 km); heights above the MOLA areoid.";

enum class LegendFont { Title, Subtitle, Label, Small };

// Measures text as the painter draws it, in pixels.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual double width(const std::string& text, LegendFont font) const = 0;  // advance
  virtual double ascent(LegendFont font) const = 0;
  virtual double descent(LegendFont font) const = 0;
};

// Lowest and highest elevation, metres.
struct ElevationRange {
  int lowest = 0;
  int highest = 0;
  bool operator==(const ElevationRange&) const = default;
};

// A rectangle on the map, in map pixels.
struct MapArea {
  double x = 0, y = 0, width = 0, height = 0;
};

// The colouring of the map: its scheme, mode and bands, and the sun of its
// relief shading.
struct LegendInput : Colouring {
  std::string title;      // the map title
  MapGeometry geometry;   // of the map picture, which is geometry.width() x height()
  // The drawn samples' own lowest and highest elevation; nothing when the
  // map shows no elevation.
  std::optional<ElevationRange> elevations;
  // The tiles are a demo set interpolated from a global grid of this many
  // pixels per degree; 0 when they are the MOLA tiles themselves.
  int demoGridPerDegree = 0;
  // Where names are written on the map: the labels of a projected map's
  // graticule keep clear of them.
  std::vector<MapArea> namesOnMap;
};

// Colours are 0xRRGGBB.
struct LegendText {
  std::string text;
  LegendFont font = LegendFont::Label;
  double x = 0;  // left end of the baseline
  double y = 0;
  std::uint32_t colour = 0;
  bool halo = false;  // in a pale halo: a label over the map
};
struct LegendBox {  // a filled rectangle
  double x = 0, y = 0, width = 0, height = 0;
  std::uint32_t fill = 0;
};
// A line over the map (a meridian or a parallel of a projected map, the
// edge of the part of the planet it shows), in picture pixels, drawn
// antialiased and clipped to the map.
struct LegendLine {
  std::vector<LegendPoint> points;
  std::uint32_t colour = 0;
  double width = 1;
  double opacity = 1;  // 0 .. 1
};

struct LegendLayout {
  int width = 0;  // of the whole picture, which is white
  int height = 0;
  int mapX = 0;  // the map's top-left pixel in it; the map keeps its size
  int mapY = 0;
  // The colour bar: one colour per pixel column, from (barX, barY), barHeight
  // pixels high. Empty when the map shows no elevation.
  int barX = 0;
  int barY = 0;
  int barHeight = 0;
  std::vector<std::uint32_t> barColours;
  // Painted in this order: the lines over the map, the bar, boxes (frame,
  // ticks, scale bars), texts.
  std::vector<LegendLine> lines;
  std::vector<LegendBox> boxes;
  std::vector<LegendText> texts;
};

// The legend of a simple cylindrical map has latitude and longitude ticks
// on its frame and scale bars at its middle latitude; that of a projected
// map has the meridians and parallels drawn over it, labelled at the edge
// of the part it shows or (on the globe) near its centre, and one scale
// bar, true at the map's centre.
LegendLayout layoutLegend(const LegendInput& input, const TextMeasure& measure);

// --- The pieces, for the layout and its tests ---------------------------

// The spacing of ticks, in degrees, from 0.05 .. 90: the closest that
// leaves at least `minimumPixels` between ticks on a map of
// `pixelsPerDegree`.
double tickSpacing(double pixelsPerDegree, double minimumPixels);
// Multiples of `spacing` from `from` to `to`, both included.
std::vector<double> tickValues(double from, double to, double spacing);
// "136°E", "170°W" (for 190 on a map past 180), "0°", "180°", "136.5°E";
// "4°S", "0°", "87.5°N". `decimals` after the point.
std::string longitudeLabel(double longitude, int decimals);
std::string latitudeLabel(double latitude, int decimals);
// Decimals a label needs at a tick spacing.
int tickDecimals(double spacing);
// Where a longitude (continuing past 180 as the map does) or a latitude
// falls on the map, in pixels from its west or north edge, by the
// longitudes and latitudes of its pixel centres; nothing off the map.
std::optional<double> longitudePosition(const MapGeometry& geometry, double longitude);
std::optional<double> latitudePosition(const MapGeometry& geometry, double latitude);

// Kilometres a pixel spans along the parallel at `latitude`, and along a
// meridian.
double eastWestKilometresPerPixel(const MapGeometry& geometry, double latitude);
double northSouthKilometresPerPixel(const MapGeometry& geometry);
// The longest length of 1, 2 or 5 times a power of ten kilometres that is
// at most `maximumPixels` long.
double scaleBarKilometres(double kilometresPerPixel, double maximumPixels);

// The title of a map of `state`: its mapTitle, a custom area's with its
// bounds ("User selection: 136°E to 140°E, 3°S to 7°S").
std::string legendTitle(const MapViewState& state);
// The credit for the elevations: kLegendCredit, or for a demo set the grid
// its tiles were interpolated from.
std::string legendCredit(const LegendInput& input);

// Metres as kilometres for a label: "−4.52" (two decimals, a true minus).
std::string kilometresLabel(int metres, int decimals);

// The colour bar's columns: elevation lowest .. highest across `width`
// columns, each coloured as a map would colour the elevation at its centre
// (a column the colours leave out repeats the one before).
std::vector<std::uint32_t> colourBar(const ElevationRange& range, int width, int scheme, int mode,
                                     const BandLimits& bands);

// The lowest and highest elevation among the samples of the map's drawn
// rows (rowDrawn(y)), leaving out those outside -8200 .. 21250; nothing when
// there is none (as for a projected map, whose pixels show no tile line). Reads each row's line once from each tile it crosses, through
// `tiles`. Throws TileError.
std::optional<ElevationRange> measureElevations(const MapGeometry& geometry,
                                                const std::function<bool(int y)>& rowDrawn, TileSetReader& tiles);

// What the legend of a map shows: the map of `geometry` coloured as
// `colouring` says (scheme, mode, bands, relief shading and its sun),
// titled by legendTitle, with the elevations of the rows rowDrawn(y)
// measured from the tiles of its demFolder, credited as that folder's
// tiles are (a demo set or not). A projected map's elevations are those its
// draw found (altitudesFound, altMin, altMax), and a custom area's title
// names the part of the planet it shows. Throws TileError.
LegendInput legendInputFor(const MapViewState& colouring, const MapGeometry& geometry,
                           const std::function<bool(int y)>& rowDrawn);

}  // namespace tarvelon
