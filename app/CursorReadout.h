// The status bar's readout of the point under the mouse: latitude,
// longitude and the elevation of the sample the pixel shows, read from its
// tile file; or why there is none.
#pragma once

#include <QLabel>
#include <QPoint>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/ShownMap.h"
#include "render/MapViewState.h"

namespace tarvelon {

class TileFile;

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

  // What the picture shows; each call brings the text up to date.
  void drawStarted(std::optional<MapGeometry> geometry);
  void placeDraw(const MapGeometry& geometry);
  void rowsShown(int firstRow, int endRow);
  void rowsFinished(int firstRow, int endRow, bool direct);
  void rasterShown();
  void drawEnded();
  void pictureCleared();
  void otherPictureShown();
  // The annotated tile map covers the picture, and gives it back.
  void pictureCovered();
  void coverRemoved();
  const ShownMap& shownMap() const { return shown_; }
  // The colouring of the rows last drawn into the picture.
  const Colouring& colouring() const { return colouring_; }

  // Samples read from the tile files so far.
  int samplesRead() const { return samplesRead_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void refresh();
  void noteColouring();
  QString sampleText(const SampleSource& sample);

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
  std::array<std::unique_ptr<TileFile>, kTileCount> files_;
  int samplesRead_ = 0;
};

}  // namespace tarvelon
