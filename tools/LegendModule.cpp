// The legend of tarvelon-render --legend, the names of --labels and the
// plot of a PNG profile, in a module of its own that the tool loads only for a map that has them: Qt,
// which paints their text, then costs nothing to every other start of the
// tool.
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <string>

#include "core/MessageText.h"
#include "export/LabelPicture.h"
#include "export/LegendPicture.h"
#include "export/ProfilePicture.h"
#include "tools/LegendModule.h"

namespace {

// Qt's notes on its own set-up (such as "XDG_RUNTIME_DIR not set") mean
// nothing to a user of the tool.
void quietQt() {
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
      std::fprintf(stderr, "tarvelon-render: %s\n", tarvelon::displaySafe(text.toStdString()).c_str());
    }
  });
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void tarvelonSaveRasterWithLegend(
    const tarvelon::Raster& map, const tarvelon::MapGeometry& geometry, const tarvelon::MapViewState& state,
    const tarvelon::LabelOverlay& names, const std::string& path) {
  quietQt();
  tarvelon::saveRasterWithLegend(map, geometry, state, names, path);
}

extern "C" __attribute__((visibility("default"))) void tarvelonLabelSprites(const tarvelon::MapGeometry& geometry,
                                                                           tarvelon::LabelOverlay& labels) {
  quietQt();
  const tarvelon::FontsApplication fonts;
  labels = tarvelon::nameLabelOverlay(geometry);
}

extern "C" __attribute__((visibility("default"))) void tarvelonSaveProfilePicture(
    const tarvelon::ElevationProfile& profile, const std::string& path) {
  quietQt();
  const tarvelon::FontsApplication fonts;
  // Through the map writers: a temporary file renamed into place.
  tarvelon::saveLegendPicture(tarvelon::profileImage(profile), path);
}
