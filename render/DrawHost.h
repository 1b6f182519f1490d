// What a renderer needs from whoever shows the map: the main window on
// screen, the command-line tool for a file, a recorder in the tests.
#pragma once

#include <ctime>
#include <string>

#include "render/Raster.h"
#include "render/RowSink.h"

namespace tarvelon {

class MapGeometry;

class DrawHost {
 public:
  virtual ~DrawHost() = default;

  // Lets pending window events (and the commands they run) run once.
  virtual void processEvents() = 0;

  // The two status texts of the menu bar.
  virtual void setLegend(const std::string& text) = 0;
  virtual void setPercent(const std::string& text) = 0;

  // A draw has begun: the legend holds the text it shows while the map is
  // drawn, and the rows come from here on. Told once per draw, right after
  // that legend.
  virtual void drawStarted() {}
  // A draw has ended as a complete one: the legend holds its elapsed time;
  // the percentage is emptied and the cursor restored next. A draw that
  // fails, or an area draw that is stopped, does not tell it (a stopped
  // tile draw ends as a complete one, its last line drawn).
  virtual void drawFinished() {}

  // Sizes the image to width x height and its panel 16 pixels larger.
  virtual void sizeMap(int width, int height) = 0;
  // Where the map being drawn lies: which sample each pixel shows and the
  // georeference. Told once per draw, after sizeMap and before any row is
  // shown; the rows shown from then on (showRows, showRaster, takeRaster)
  // are this map's.
  virtual void placeMap(const MapGeometry& /*geometry*/) {}
  // Empties the picture shown.
  virtual void clearMap() = 0;
  // The picture becomes `raster`'s size (a blank one, if it was not) and
  // rows firstRow .. endRow - 1 are copied from it; other rows keep what
  // the picture showed.
  virtual void showRows(const Raster& raster, int firstRow, int endRow) = 0;
  // The picture becomes a copy of the finished raster.
  virtual void showRaster(const Raster& raster) = 0;
  // The same, for a raster the renderer no longer needs: a host may keep it
  // instead of copying it (a whole tile at 100 % is 195 MB).
  virtual void takeRaster(Raster&& raster) { showRaster(raster); }
  // Rows firstRow .. endRow - 1 of the raster being drawn are finished,
  // shown or not (drawing in background they are not yet): a host that
  // reads the map back knows from it which rows hold the map.
  virtual void rowsFinished(int /*firstRow*/, int /*endRow*/) {}

  // A host that writes the map somewhere rather than show it gives the
  // renderers a sink: they then keep no raster, hand it every row of the
  // map in order as it is finished, and show nothing (no showRows,
  // showRaster or takeRaster). The sink must stay valid for the draw.
  virtual RowSink* rowSink() { return nullptr; }

  // Hourglass (true) or normal cursor over the map.
  virtual void setBusy(bool busy) = 0;

  // Texts of the optimise-shading dialog's altmax and altmin labels.
  virtual void setAltitudeLabels(const std::string& altmax, const std::string& altmin) = 0;

  // The area renderer chose its own step: check-mark this Resolution item
  // (0..7) and clear the others.
  virtual void checkResolution(int resolutionIndex) = 0;
  // An area draw completed: enable Save Map and the drawing menus.
  virtual void areaDrawCompleted() = 0;

  // A note for the user that does not stop the draw.
  virtual void inform(const std::string& text) = 0;

  // The local clock, to the second.
  virtual std::time_t now() { return std::time(nullptr); }
};

}  // namespace tarvelon
