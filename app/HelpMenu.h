// What the Help menu shows besides the about box: the program help in the
// help window, the annotated tile map, and where the tiles can be had.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

namespace tarvelon {

class DialogHost;
class HelpWindow;

// The annotated tile map, built into the program.
inline constexpr const char* kAnnotatedMapResource = ":/tarvelon/annotated-tiles.jpg";
inline constexpr int kAnnotatedMapWidth = 1440;
inline constexpr int kAnnotatedMapHeight = 720;

// Where the MEGDR128 tiles can be had (Help > "Sourcing the MEGDR128 MOLA
// DEM Tiles").
inline constexpr const char* kSourcingNote =
    "The MEGDR128 128 pixel/degree MOLA Digital Elevation Model\n"
    "files may be downloaded from:\n\n"
    "https://pds-geosciences.wustl.edu/missions/mgs/megdr.html\n\n"
    "See the Help File for further details.\n";

// The annotated tile map picture, decoded from the copy built into the
// program; a null image, and `problem` set, when it cannot be decoded.
QImage annotatedMapPicture(QString& problem);

// Program Help: the help file, the first found in `places`, opened afresh
// in `help` (made on first use, with `icon`) at its first topic. A file not
// found or not readable is reported through `dialogs`.
void showProgramHelp(std::unique_ptr<HelpWindow>& help, const QStringList& places, const QIcon& icon,
                     DialogHost& dialogs);

}  // namespace tarvelon
