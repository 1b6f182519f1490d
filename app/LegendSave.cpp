#include "app/LegendSave.h"

#include <QApplication>

#include "app/CursorReadout.h"
#include "app/DialogHost.h"
#include "app/MapImage.h"
#include "app/MapLabels.h"
#include "app/MapSave.h"
#include "app/ShownMap.h"
#include "dem/TileNames.h"
#include "export/LegendPicture.h"

namespace tarvelon {

namespace {

// The hourglass while the elevations are measured and the file written.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void saveMapWithLegend(const MapImage& dmap, const CursorReadout& readout, const MapViewState& state, DialogHost& dialogs,
                       const std::string& name, const QString& incomplete, MapLabels* labels) {
  const ShownMap& shown = readout.shownMap();
  const MapGeometry* geometry = shown.geometry();
  MapSaveDialog dialog;
  dialog.title = QStringLiteral("Save Map with Legend");
  dialog.filter = QStringLiteral("BMP Image (*.bmp);;PNG Image (*.png)");
  dialog.formats = {MapFormat::Bmp, MapFormat::Png};
  dialog.wrongExtension = [](const QString&) {
    return QStringLiteral("A map with its legend is saved as a BMP (.bmp) or PNG (.png) file.\n\n"
                          "Please give the file name one of these endings.");
  };
  // Only a map placed on Mars has a legend.
  dialog.canSave = [&] {
    if (geometry != nullptr && geometry->width() == dmap.picture().width() &&
        geometry->height() == dmap.picture().height()) {
      return true;
    }
    dialogs.information(state.annotatedShown == 1
                            ? QStringLiteral("The annotated tile map has no legend. Save it with Save Map.")
                            : QStringLiteral("This picture is not a map Tarvelon can place on Mars, so it has no "
                                             "legend. Save it with Save Map."));
    return false;
  };
  const std::optional<ChosenMapFile> chosen = chooseMapFile(dialogs, dmap.picture(), incomplete, name, dialog);
  if (!chosen) return;

  const BusyCursor busy;
  // As the map on screen was coloured, whatever the menus say now.
  MapViewState drawn = state;
  static_cast<Colouring&>(drawn) = readout.colouring();
  const LegendInput input = legendInputFor(drawn, *geometry, [&shown](int y) { return shown.rowDrawn(y); });
  // The legend's map shows no transparency; a projected map's pixels that
  // show no sample are left white, as the sheet around it.
  // A projected map's names go over the graticule the legend draws.
  if (geometry->projection() != nullptr) {
    const LabelOverlay* names = labels != nullptr ? &labels->labelsFor(geometry) : nullptr;
    saveLegendPicture(legendPicture(dmap.picture(), input, dmap.mask(), names), chosen->path);
    return;
  }
  std::vector<std::uint8_t> mask;
  const QImage map = labels != nullptr ? labels->labelled(dmap.picture(), mask, geometry) : dmap.picture();
  saveLegendPicture(legendPicture(map, input), chosen->path);
}

}  // namespace tarvelon
