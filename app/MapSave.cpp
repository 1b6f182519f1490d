#include "app/MapSave.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "app/DialogHost.h"
#include "app/MapImage.h"
#include "render/BmpWriter.h"
#include "render/MapGeometry.h"

namespace tarvelon {

std::string mapSaveName(const MapViewState& state) {
  // A tile map is offered under its tile file's name, whatever area was
  // drawn before it.
  if (state.mapKind == 1 && !state.tilePath.empty()) {
    return QFileInfo(QString::fromStdString(state.tilePath)).completeBaseName().toStdString();
  }
  return state.mapName;
}

std::optional<ChosenMapFile> chooseMapFile(DialogHost& dialogs, const QImage& picture, const QString& incomplete,
                                           const std::string& name, const MapSaveDialog& dialog) {
  if (picture.isNull()) {
    dialogs.information(QStringLiteral("There is no map on the screen to save."));
    return std::nullopt;
  }
  if (dialog.canSave && !dialog.canSave()) return std::nullopt;
  if (!incomplete.isEmpty() &&
      !dialogs.question(QStringLiteral("This map is incomplete: %1.\n\nSave it anyway?").arg(incomplete))) {
    return std::nullopt;
  }
  SaveFileRequest request;
  request.title = dialog.title;
  // A name typed without an extension takes that of the filter chosen.
  request.filter = dialog.filter;
  request.defaultSuffix = QStringLiteral("bmp");
  request.fileName = QString::fromStdString(defaultMapFileName(name));
  const std::optional<QString> chosen = dialogs.saveFileName(request);
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  const std::string path = QFile::encodeName(*chosen).toStdString();
  const std::optional<MapFormat> format = mapFormatOf(path);
  if (!format || std::find(dialog.formats.begin(), dialog.formats.end(), *format) == dialog.formats.end()) {
    dialogs.information(dialog.wrongExtension(QFileInfo(*chosen).fileName()));
    return std::nullopt;
  }
  if (QFileInfo::exists(*chosen) && !dialogs.question(QStringLiteral("File exists - Overwrite (Y/N)"))) {
    return std::nullopt;
  }
  return ChosenMapFile{path, *format};
}

void saveMap(DialogHost& dialogs, const QImage& picture, const std::vector<std::uint8_t>& mask,
             const MapGeometry* geometry, const QString& incomplete, const std::string& name) {
  MapSaveDialog dialog;
  dialog.title = QStringLiteral("Save Map");
  dialog.filter = QStringLiteral("BMP Image (*.bmp);;PNG Image (*.png);;GeoTIFF Image (*.tif *.tiff)");
  dialog.formats = {MapFormat::Bmp, MapFormat::Png, MapFormat::GeoTiff};
  dialog.wrongExtension = [](const QString& fileName) {
    return QStringLiteral("Maps are saved as BMP (.bmp), PNG (.png) or GeoTIFF (.tif) files: ") + fileName +
           QStringLiteral(" has none of these extensions.");
  };
  const std::optional<ChosenMapFile> chosen = chooseMapFile(dialogs, picture, incomplete, name, dialog);
  if (!chosen) return;
  MapFileSpec spec;
  spec.path = chosen->path;
  spec.format = chosen->format;
  // A BMP or PNG gets a world file and a .prj beside it, a GeoTIFF its keys;
  // a projected map's are in metres on the plane of its projection.
  Raster raster = MapImage::rasterOf(picture);
  if (mask.size() == std::size_t(raster.width) * std::size_t(raster.height)) raster.mask = mask;
  if (geometry != nullptr && geometry->width() == raster.width && geometry->height() == raster.height) {
    spec.georeference = geometry->transform();
    if (const ProjectedFrame* frame = geometry->projection()) spec.projection = frame->projection;
  }
  spec.transparency = true;
  writeMapFile(raster, spec);
}

}  // namespace tarvelon
