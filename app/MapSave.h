// The steps File > "Save Map" and "Save Map with Legend..." share: a map
// must be on the screen, an incomplete one is saved only if the user
// agrees, the file is chosen in the save dialog, its extension gives the
// format, and a file already there is replaced only if the user agrees.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/MapFile.h"
#include "render/MapViewState.h"

namespace tarvelon {

class DialogHost;
class MapGeometry;

// How one save command asks for its file.
struct MapSaveDialog {
  QString title;
  QString filter;                  // the dialog's filters, e.g. "BMP Image (*.bmp)"
  std::vector<MapFormat> formats;  // the formats the command writes
  // The message for a file name whose extension names none of them.
  std::function<QString(const QString& fileName)> wrongExtension;
  // Runs once a map is known to be on the screen, before anything is asked:
  // false (having told the user why) ends the command.
  std::function<bool()> canSave;
};

struct ChosenMapFile {
  std::string path;
  MapFormat format = MapFormat::Bmp;
};

// The name the map on screen is offered under: a tile map's tile file name,
// an area map's own name.
std::string mapSaveName(const MapViewState& state);

// Takes the user through the shared steps for `picture` (the map to save;
// null when there is none). `incomplete` says why the map is incomplete, as
// the question puts it, or is empty. The file to write, or nothing when the
// user stopped or was told why not.
std::optional<ChosenMapFile> chooseMapFile(DialogHost& dialogs, const QImage& picture, const QString& incomplete,
                                           const std::string& name, const MapSaveDialog& dialog);

// File > "Save Map": `picture` as a BMP, PNG or GeoTIFF; placed on Mars (a
// world file, .prj and .aux.xml, or the GeoTIFF keys, in the projection of
// the map) when `geometry` is that of a map of the picture's size. A PNG or GeoTIFF is transparent
// where `mask` (MapImage::mask) says no sample lies behind a pixel. Throws
// WriteError when the file cannot be written; the old file, if any, stays.
void saveMap(DialogHost& dialogs, const QImage& picture, const std::vector<std::uint8_t>& mask,
             const MapGeometry* geometry, const QString& incomplete, const std::string& name);

}  // namespace tarvelon
