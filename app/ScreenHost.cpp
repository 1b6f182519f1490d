#include "app/ScreenHost.h"

#include <QAction>
#include <QFrame>
#include <optional>
#include <utility>

#include "app/CursorReadout.h"
#include "app/DialogHost.h"
#include "app/MainMenu.h"
#include "app/MapImage.h"
#include "app/MenuSet.h"
#include "render/Resolution.h"
#include "windows/Stretch.h"

namespace tarvelon {

namespace {


QString fromStd(const std::string& text) { return QString::fromStdString(text); }

// A status caption shows `text` as it is: an ampersand is not a mnemonic.
// The caption is set only when it changes.
void setStatusCaption(QAction& item, const std::string& text) {
  QString caption = fromStd(text);
  caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
  if (item.text() != caption) item.setText(caption);
}

QString statusCaption(const QAction& item) { return item.text().replace(QStringLiteral("&&"), QStringLiteral("&")); }

}  // namespace

ScreenHost::ScreenHost(const MapViewState& state, const Screen& screen, Hooks hooks)
    : state_(state), screen_(screen), hooks_(std::move(hooks)) {}

void ScreenHost::setStretchDialog(TStretchColours* dialog) {
  stretch_ = dialog;
  if (stretch_ != nullptr) stretch_->setAltitudeLabels(altmaxText_, altminText_);
}

QString ScreenHost::legendText() const { return statusCaption(screen_.legend); }

QString ScreenHost::percentText() const { return statusCaption(screen_.percent); }

void ScreenHost::processEvents() { hooks_.processEvents(); }

void ScreenHost::setLegend(const std::string& text) { setStatusCaption(screen_.legend, text); }

void ScreenHost::setPercent(const std::string& text) {
  if (hooks_.percentShown) hooks_.percentShown(text);
  setStatusCaption(screen_.percent, text);
}

void ScreenHost::sizeImage(int width, int height) {
  screen_.image.resize(width, height);
  screen_.panel.resize(width + kPanelMargin, height + kPanelMargin);
  if (hooks_.layout) hooks_.layout();
}

void ScreenHost::sizeMap(int width, int height) {
  sizeImage(width, height);
  // Every map but a projected one shows its pixels as they have always been.
  screen_.image.setNoSampleColour(std::nullopt);
  // The renderer places its map next (placeMap).
  screen_.readout.follow(&ShownMap::drawStarted, std::nullopt);
}

void ScreenHost::placeMap(const MapGeometry& geometry) {
  // A projected map's pixels off the planet or outside its area are blank,
  // not streaks of the colour of the last sample of their row.
  if (geometry.projection() != nullptr) screen_.image.setNoSampleColour(kNoSampleColour);
  screen_.readout.follow(&ShownMap::placeDraw, geometry);
}

void ScreenHost::clearMap() { screen_.image.clearPicture(); }

void ScreenHost::showRows(const Raster& raster, int firstRow, int endRow) {
  screen_.image.showRows(raster, firstRow, endRow);
  screen_.readout.followRows(&ShownMap::rowsShown, firstRow, endRow);
}

void ScreenHost::showRaster(const Raster& raster) {
  screen_.image.showRaster(raster);
  screen_.readout.followRows(&ShownMap::rasterShown);
}

void ScreenHost::rowsFinished(int firstRow, int endRow) {
  screen_.readout.follow(&ShownMap::rowsFinished, firstRow, endRow, state_.drawInBackground == 0);
}

void ScreenHost::setBusy(bool busy) { screen_.image.setCursor(busy ? Qt::WaitCursor : Qt::ArrowCursor); }

void ScreenHost::setAltitudeLabels(const std::string& altmax, const std::string& altmin) {
  altmaxText_ = fromStd(altmax);
  altminText_ = fromStd(altmin);
  if (stretch_ != nullptr) stretch_->setAltitudeLabels(altmaxText_, altminText_);
}

void ScreenHost::checkResolution(int resolutionIndex) {
  screen_.menus.checkOnly(kResolutionItemBase, kResolutionCount, resolutionIndex);
}

void ScreenHost::areaDrawCompleted() {
  if (hooks_.areaDrawCompleted) hooks_.areaDrawCompleted();
}

void ScreenHost::inform(const std::string& text) { screen_.dialogs.information(fromStd(text)); }

}  // namespace tarvelon
