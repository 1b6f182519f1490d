// The location map window `TLocationMap`: a relief picture of the whole
// planet with the current map's title, and a cross on the centre of its
// area.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <optional>

#include "select/LocationCross.h"

class QFrame;
class QLabel;

namespace tarvelon {

// The image `locator`: the clean picture, with the cross painted over it
// while there is one.
class LocatorImage : public QWidget {
  Q_OBJECT

 public:
  explicit LocatorImage(QWidget* parent = nullptr);

  const QImage& picture() const { return picture_; }
  void setCross(std::optional<CrossPosition> cross);
  const std::optional<CrossPosition>& cross() const { return cross_; }
  // What is on screen: the picture with the cross, as 32-bit pixels.
  QImage rendered() const;

 signals:
  // A click on the picture: the point of the planet under it.
  void pointClicked(double longitude, double latitude);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void paintCross(QPainter& painter) const;

  QImage picture_;
  std::optional<CrossPosition> cross_;
};

class TLocationMap : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 509;
  static constexpr int kClientHeight = 294;

  // The window stays above `mainWindow` and every other window that is not
  // kept on top itself; it is created hidden.
  explicit TLocationMap(QWidget* mainWindow = nullptr);

  // Shows the window with `title` and, when given, the cross on `area`.
  void showLocation(const QString& title, const std::optional<AreaBounds>& area);
  // The same with the cross at `cross` (a projected map's centre).
  void showLocationAt(const QString& title, const std::optional<CrossPosition>& cross);

  // Closes the window for a command (the category submenus, "Map
  // Location"); only the close box reports closedByUser.
  void closeWindow();

  // The window became the active window: a cross drawn before the window
  // last lost the focus is wiped.
  void FormActivate();
  // The window is closed, by a command or its close box: the cross goes.
  void FormClose();

  LocatorImage* locator() const { return locator_; }
  QLabel* title() const { return title_; }

 signals:
  // The window's own close box closed it.
  void closedByUser();
  // The picture was clicked at this point: the explorer opens there.
  void pointChosen(double longitude, double latitude);

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QFrame* showFeature_ = nullptr;
  QLabel* title_ = nullptr;
  LocatorImage* locator_ = nullptr;
  bool crossSeenInactive_ = false;  // the window lost the focus after the cross was drawn
  bool closingByCommand_ = false;
};

// The shipped picture (480 x 240, 8 bits per pixel with a palette).
QImage locationMapPicture();

}  // namespace tarvelon
