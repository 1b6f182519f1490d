// "Explore Mars": a window to roam the whole planet. The map zooms with the
// wheel and pans with a drag, in the main window's colours; a toolbar
// chooses the tool (pan, profile, measure) and hands the view to the main
// window as a map of its own. Below the map, the point under the cursor and
// the distances measured.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "dem/ElevationSource.h"
#include "render/Colouring.h"
#include "render/GridWindow.h"
#include "render/WindowRenderer.h"
#include "windows/ExplorerCanvas.h"
#include "windows/ProfileLauncher.h"
#include "windows/ProfileWindow.h"

class QAction;
class QLabel;
class QTimer;
class QToolBar;

namespace tarvelon {

inline constexpr const char* kExplorerTitle = "Explore Mars";

class ExplorerWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ExplorerWindow(QWidget* parent = nullptr);
  ~ExplorerWindow() override;

  // The tiles to read; empty when no data folder is in use.
  void setSource(SourceOpener openSource);
  // Where the colours come from: asked while the window is shown, so that
  // the map follows the main window's scheme, mode and shading.
  void followColouring(std::function<Colouring()> colouring);
  // Whether the IAU names are shown, asked likewise.
  void followNames(std::function<bool()> shown);
  // The projection of the main window's maps, asked likewise: the
  // explorer's map is drawn in it too.
  void followProjection(std::function<ProjectionKind()> projection);
  // The save dialog and error box of the profile window.
  void setDialogs(ProfileWindow::ChooseFile choose, ProfileWindow::ReportError report);

  // Shows the window centred on a point, at about `samplesPerPixel`
  // samples of the grid a pixel, or the whole planet.
  void showAt(GeoPoint point, double samplesPerPixel);
  void showPlanet();

  ExplorerCanvas* canvas() const { return canvas_; }
  // The profile window, once a profile was drawn.
  ProfileWindow* profileWindow() const { return profiles_.window(); }
  QString readoutText() const;
  QString measureText() const;
  QAction* action(const QString& name) const;

  // Draws the profile from one point to another, as a line drawn on the
  // map does.
  void showProfile(GeoPoint from, GeoPoint to);
  // "Draw this view".
  void drawThisView();
  // Closes the window and its profile window.
  void closeAll();

 signals:
  // "Draw this view": the view as a window of the tiles' grid, and the
  // point at its centre.
  void drawViewRequested(const tarvelon::GridWindow& window, tarvelon::GeoPoint centre);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void buildToolbar(QToolBar* bar);
  void pointerMoved(std::optional<GeoPoint> point);
  void updateMeasure();
  void updateColouring();
  void updateLevel();

  ExplorerCanvas* canvas_ = nullptr;
  QLabel* readout_ = nullptr;
  QLabel* measure_ = nullptr;
  QLabel* level_ = nullptr;
  QTimer* colourPoll_ = nullptr;
  std::function<Colouring()> colouringOf_;
  std::function<bool()> namesShownOf_;
  std::function<ProjectionKind()> projectionOf_;
  // Reads the elevations of the profiles and the readout, on this thread.
  ProfileLauncher profiles_{nullptr};
};

}  // namespace tarvelon
