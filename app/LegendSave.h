// File > "Save Map with Legend...": the map on screen in the frame of its
// legend, saved as a BMP or PNG file.
#pragma once

#include <QString>
#include <string>

#include "render/MapViewState.h"

namespace tarvelon {

class DialogHost;
class MapImage;
class CursorReadout;
class MapLabels;

// Asks for the file (offering `name` as Save Map does), asks before
// replacing a file, and writes the picture shown in `dmap` with its legend;
// `readout` knows where the picture lies and how it was coloured. A map
// that is `incomplete` (why, as Save Map says it; empty when it is whole)
// is saved only after the user agrees. The map carries the names `labels`
// shows over it (none without them).
// A file that cannot be read or written throws (TileError, WriteError).
void saveMapWithLegend(const MapImage& dmap, const CursorReadout& readout, const MapViewState& state, DialogHost& dialogs,
                       const std::string& name, const QString& incomplete, MapLabels* labels = nullptr);

}  // namespace tarvelon
