// The status bar's readout of the point under the mouse: latitude,
// longitude (of the sample's centre, or on a projected map of the point
// under the pixel's centre) and the elevation of the sample the pixel
// shows, read from its tile file, and with the names shown, the IAU name
// the point lies in; or why there is none.
#pragma once

#include <QLabel>
#include <QPoint>
#include <optional>
#include <string>
#include <utility>

#include "app/ShownMap.h"
#include "dem/TileSetReader.h"
#include "render/MapViewState.h"

namespace tarvelon {

inline constexpr const char* kReadoutNoMap = "No map on screen";
inline constexpr const char* kReadoutOffMap = "Off the map";
inline constexpr const char* kReadoutNotDrawnYet = "Not drawn yet";
inline constexpr const char* kReadoutNotDrawn = "Not drawn";
inline constexpr const char* kReadoutAnnotated = "The annotated tile map has no readout";
inline constexpr const char* kReadoutOtherPicture = "This picture has no readout";
inline constexpr const char* kReadoutUnknownMap = "No readout for this map";

class CursorReadout : public QLabel {
  Q_OBJECT

 public:
  // `state` gives the data folder, the tile names and whether the annotated
  // tile map is shown.
  explicit CursorReadout(const MapViewState& state, QWidget* parent = nullptr);
  ~CursorReadout() override;

  // Follows the mouse over `mapImage`, whose pixel (0, 0) is the map's.
  void watch(QWidget* mapImage);

  // The mouse is over pixel `pixel` of the map image, or has left it.
  void pointAt(QPoint pixel);
  void pointerLeft();

  // What the picture shows changed: `change` is the ShownMap call that says
  // how (drawStarted, rowsFinished, cover, ...), made with `args`; the text
  // is brought up to date.
  template <typename... Params, typename... Args>
  void follow(void (ShownMap::*change)(Params...), Args&&... args) {
    (shown_.*change)(std::forward<Args>(args)...);
    refresh();
  }
  // The same for rows of a draw coming into the picture (rowsShown,
  // rasterShown): they show the colouring in force now.
  template <typename... Params, typename... Args>
  void followRows(void (ShownMap::*change)(Params...), Args&&... args) {
    noteColouring();
    follow(change, std::forward<Args>(args)...);
  }
  const ShownMap& shownMap() const { return shown_; }
  // The colouring of the rows last drawn into the picture.
  const Colouring& colouring() const { return colouring_; }

  // Samples read from the tile files so far.
  int samplesRead() const { return samplesRead_; }

  // With names shown, a point in a named IAU feature ends with its name and
  // kind: "5.37°S  137.81°E   -4 480 m  Aeolis Mons (mons)". The smallest
  // feature whose circle holds the point names it. Off at first, and then
  // the readout is as it always was.
  void showPlaceNames(bool shown);
  bool placeNamesShown() const { return placeNamesShown_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void refresh();
  void noteColouring();
  // The text of a point that shows a sample or, beyond the tiles' 88
  // degrees on a projected map, none.
  QString pointText(const ShownMap::Point& point);
  // Reads a sample into lastRead_, unless it holds that sample already.
  void readSample(const SampleSource& sample);
  QString placeText(double latitude, double longitude);

  const MapViewState& state_;
  ShownMap shown_;
  Colouring colouring_;
  std::optional<QPoint> pointer_;

  // The last sample read, so that the same sample is never read twice in a
  // row, and the tile files open for reading.
  struct LastRead {
    SampleSource sample;
    std::string path;
    std::optional<int> value;  // nothing when the read failed
    QString problem;
  };
  std::optional<LastRead> lastRead_;
  TileSetReader tiles_;
  int samplesRead_ = 0;

  bool placeNamesShown_ = false;
  // The last point named and its text: a point is looked up once however
  // often the readout is brought up to date.
  std::optional<std::pair<double, double>> lastNamedPoint_;
  QString lastPlaceText_;
};

}  // namespace tarvelon
