// What the map image shows, for the cursor readout and the legend: the
// geometry of the map whose rows the picture holds, and which of those rows
// a renderer has drawn. The window passes on the renderers' calls; nothing
// here touches the picture or the tiles.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "render/MapGeometry.h"
#include "render/MapViewState.h"

namespace tarvelon {

class ShownMap {
 public:
  // What a pixel of the picture shows.
  enum class Place {
    NoMap,          // there is no picture
    OtherPicture,   // a picture that is not a drawn map
    UnknownMap,     // a map whose geometry is not known
    OffMap,         // outside the picture
    NotDrawnYet,    // a row the running draw has still to draw
    NotDrawn,       // a row or column no renderer drew
    Sample,
    NoSample,       // a point of a projected map beyond the tiles' 88 degrees
  };
  struct Point {
    Place place = Place::NoMap;
    SampleSource sample;  // for Place::Sample
    // On a projected map (Place::Sample and Place::NoSample): the point at
    // the pixel's centre, which lies within the sample's cell. On any other
    // map the sample's centre is the place.
    bool located = false;
    double latitude = 0;
    double longitude = 0;
    bool operator==(const Point&) const = default;
  };

  // A renderer sized a map of `geometry` (nothing: not known) and starts
  // drawing it. The picture keeps what it shows until the draw gives it
  // rows.
  void drawStarted(std::optional<MapGeometry> geometry);
  // The draw's map lies at `geometry`: the renderer tells it after sizing
  // the map and before showing any row. Nothing outside a draw.
  void placeDraw(const MapGeometry& geometry);
  // The picture shows rows firstRow .. endRow - 1 of the draw's raster.
  // One row shown alone is a row just drawn; of a longer run only the rows
  // the draw has finished count as drawn.
  void rowsShown(int firstRow, int endRow);
  // The draw finished these rows of its raster; with `direct` (drawing to
  // the screen) the picture shows them as well.
  void rowsFinished(int firstRow, int endRow, bool direct);
  // The picture becomes the draw's whole raster: the rows finished, or
  // every row when the renderer reported none (it shows its raster only
  // once the map is complete).
  void rasterShown();
  // The renderer returned, however it ended.
  void drawEnded();
  // The picture went.
  void pictureCleared();
  // The picture is something other than a renderer's map.
  void otherPictureShown();
  // Another picture (the annotated tile map) covers this one for a while;
  // what this one showed is kept until uncover() gives it back.
  void cover();
  void uncover();

  // What pixel (x, y) shows. A pixel of a projected map shows the sample
  // of the tiles' even grid under its centre; a pixel whose centre lies off
  // the planet, or outside the map's area, is off the map.
  Point at(int x, int y) const;

  // The geometry of the map shown, when it is known.
  const MapGeometry* geometry() const { return picture_ == Picture::Map ? &*geometry_ : nullptr; }
  // The geometry of the user's map: the picture shown, or the one under the
  // picture that covers it.
  const MapGeometry* userMapGeometry() const;
  bool rowDrawn(int y) const { return y >= 0 && y < static_cast<int>(drawnRows_.size()) && drawnRows_[y]; }
  bool drawing() const { return drawing_; }

 private:
  enum class Picture { None, Other, Unknown, Map };
  void showDraw();

  // What a picture shows.
  struct Shown {
    Picture picture = Picture::None;
    std::optional<MapGeometry> geometry;
    std::vector<bool> drawnRows;
  };

  Picture picture_ = Picture::None;
  std::optional<MapGeometry> geometry_;  // of the picture
  std::vector<bool> drawnRows_;          // of the picture
  std::optional<Shown> covered_;         // the picture under the one shown

  bool drawing_ = false;
  bool drawShown_ = false;  // the picture shows the running draw's raster
  std::optional<MapGeometry> drawGeometry_;
  std::vector<bool> drawFinished_;  // rows of the draw's raster reported finished
  bool finishedReported_ = false;
};

}  // namespace tarvelon
