// ScreenHost: the renderers' host on screen. Rows go into the map image and
// the cursor readout follows them; the status texts are two captions of the
// menu bar; the altitude labels go to the optimise-shading dialog; notes go
// through the dialog host. What only the window knows (letting events run,
// its menus after an area) it is asked through hooks.
#pragma once

#include <QPointer>
#include <QRgb>
#include <QString>
#include <functional>
#include <string>

#include "render/DrawHost.h"
#include "render/MapViewState.h"

class QAction;
class QFrame;

namespace tarvelon {

class CursorReadout;
class DialogHost;
class MapImage;
class MenuSet;
class TStretchColours;

// dmap2 is this much larger than dmap, on each axis.
inline constexpr int kPanelMargin = 16;

// What a projected map shows where no sample lies behind a pixel: white, as
// the picture is before rows come.
inline constexpr QRgb kNoSampleColour = 0xFFFFFFFF;

class ScreenHost : public DrawHost {
 public:
  // The widgets and menus the map is shown with.
  struct Screen {
    MapImage& image;           // dmap
    QFrame& panel;             // dmap2, around the image
    CursorReadout& readout;
    QAction& legend;           // the menu bar's status captions
    QAction& percent;
    MenuSet& menus;
    DialogHost& dialogs;
  };
  struct Hooks {
    std::function<void()> processEvents;                   // lets the window's events run
    std::function<void()> layout;                          // the map area follows the panel's size
    std::function<void(const std::string&)> percentShown;  // every percentage text set
    std::function<void()> areaDrawCompleted;
  };

  ScreenHost(const MapViewState& state, const Screen& screen, Hooks hooks);

  // The optimise-shading dialog, once there is one; it is given the
  // altitude texts kept so far.
  void setStretchDialog(TStretchColours* dialog);
  // Texts for the optimise-shading dialog's altmax and altmin labels.
  const QString& altmaxText() const { return altmaxText_; }
  const QString& altminText() const { return altminText_; }

  QString legendText() const;
  QString percentText() const;

  // The image to width x height, its panel around it.
  void sizeImage(int width, int height);

  void processEvents() override;
  void setLegend(const std::string& text) override;
  void setPercent(const std::string& text) override;
  void sizeMap(int width, int height) override;
  void placeMap(const MapGeometry& geometry) override;
  void clearMap() override;
  void showRows(const Raster& raster, int firstRow, int endRow) override;
  void showRaster(const Raster& raster) override;
  // takeRaster stays DrawHost's copy: the picture converts every raster into
  // an image of its own format, so keeping the raster would save nothing.
  void rowsFinished(int firstRow, int endRow) override;
  void setBusy(bool busy) override;
  void setAltitudeLabels(const std::string& altmax, const std::string& altmin) override;
  void checkResolution(int resolutionIndex) override;
  void areaDrawCompleted() override;
  void inform(const std::string& text) override;

 private:
  const MapViewState& state_;
  Screen screen_;
  Hooks hooks_;
  QPointer<TStretchColours> stretch_;
  QString altmaxText_;
  QString altminText_;
};

}  // namespace tarvelon
