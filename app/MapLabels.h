// Topography > "Feature Names": the IAU names laid over the map image as a
// layer of their own, so that turning them on or off redraws nothing. The
// names are placed from the geometry of the map the image shows, simple
// cylindrical or projected, again whenever another map is shown, and the
// saved maps carry them as shown.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "render/LabelOverlay.h"
#include "render/MapGeometry.h"

namespace tarvelon {

class MapImage;

class MapLabels : public QWidget {
  Q_OBJECT

 public:
  // The geometry of the map a picture shows, or nullptr when it is none.
  using GeometryOf = std::function<const MapGeometry*()>;

  // Lies over `image`, the same size, letting every mouse event through to
  // it; `shown` gives the geometry of the map on screen.
  MapLabels(MapImage& image, GeometryOf shown);

  // The names on or off. Hidden, the layer places nothing.
  void setNamesShown(bool on);
  bool namesShown() const { return on_; }

  // The labels of a map of `geometry` (cached for the last map asked for):
  // none when the names are off or there is no map.
  const LabelOverlay& labelsFor(const MapGeometry* geometry);

  // `picture` (a map of `geometry`) with the names blended in as they are
  // shown, and `mask` marked under them (see LabelOverlay); the picture as
  // it is when the names are off, there is no geometry or it is not the
  // picture's size.
  QImage labelled(const QImage& picture, std::vector<std::uint8_t>& mask, const MapGeometry* geometry);

  // How many labels the map on screen has (placing them if need be).
  int shownLabelCount();

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Key {
    GeoTransform transform;
    int width = 0;
    int height = 0;
    // A projected map's frame: two projections may share a transform.
    std::optional<ProjectedFrame> frame;
    bool operator==(const Key&) const = default;
  };

  MapImage& image_;
  GeometryOf shown_;
  bool on_ = false;
  std::optional<Key> placedFor_;
  LabelOverlay labels_;
  std::vector<QImage> sprites_;  // labels_ as pictures, for the screen
  LabelOverlay none_;
};

}  // namespace tarvelon
