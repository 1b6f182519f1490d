// TMainForm, the main window: owner of the map view state, the menus and
// the commands that decide what is drawn; it wires them to the drawing
// control (DrawController) and to the renderers' host on screen
// (ScreenHost).
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <memory>
#include <string>

#include "app/DataFolderSetup.h"
#include "app/HelpMenu.h"
#include "app/MainMenu.h"
#include "dem/TileNames.h"
#include "render/AreaRenderer.h"
#include "render/MapGeometry.h"
#include "render/MapViewState.h"
#include "render/Projection.h"
#include "render/WindowRenderer.h"
#include "select/Gazetteer.h"
#include "select/LocMap.h"
#include "windows/ExplorerWindow.h"
#include "windows/KeyMain.h"
#include "windows/Stretch.h"
#include "windows/about.h"

class QFrame;
class QMenu;
class QScrollArea;

namespace tarvelon {

class CursorReadout;
class CustomAreaPanel;
class DialogHost;
class DrawController;
class FeatureFinder;
class FolderPanel;
class MapLabels;
class MapProfileTool;
class HelpWindow;
class MapImage;
class MenuSet;
class ScreenHost;

inline constexpr const char* kMainCaption = "Tarvelon - version 0.57";

// The program icon, built into the program.
inline constexpr const char* kIconResource = ":/tarvelon/tarvelon-64.png";

class TMainForm : public QMainWindow, public StretchHost, private DataFolderHost {
  Q_OBJECT

 public:
  // Creates the window (hidden) and brings the program up: first values,
  // the menus and their table, then the settings file or the first-run
  // folder panel. `startDir` is the folder the settings file lives in.
  TMainForm(const QString& startDir, DialogHost& dialogs, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Start-up ended the program: the settings file named a data folder that
  // is gone. The window must not be shown.
  bool startUpEnded() const;

  // The windows created after the main window.
  void setColourKey(TVertKey* key) { colourKey_ = key; }
  void setLocationMap(TLocationMap* map);
  TLocationMap* locationMap() const { return locationMap_; }
  void setAboutBox(TProgDetails* box) { aboutBox_ = box; }
  // The optimise-shading dialog; it is given the altitude texts kept so far.
  void setStretchColours(TStretchColours* dialog);
  // The help window, once Program Help has opened it.
  HelpWindow* helpWindow() const { return help_.get(); }

  // The program's icon: the window icon and the about box's picture.
  static QIcon programIcon();
  // The annotated tile map picture, decoded from the copy built into the
  // program; a null image, and `problem` set, when it cannot be decoded.
  static QImage annotatedMapPicture(QString& problem);

  // Where Program Help looks for tarvelon.chm: the start folder, then the
  // executable's folder, then the data folder installed beside it
  // (../share/tarvelon) and the one the build was configured for.
  QStringList helpFilePlaces() const;
  // Tests put the folders after the start folder elsewhere.
  void setHelpSearchDirs(const QStringList& folders) { helpSearchDirs_ = folders; }

  MapViewState& state() { return state_; }
  const MapViewState& state() const { return state_; }
  const QString& startDir() const { return startDir_; }
  QString settingsFile() const;

  // menuItems[i]: the numbered items, nullptr where the item does not exist.
  QAction* menuItem(int i) const;
  // An action or a menu by component name, or nullptr.
  QAction* action(const QString& name) const;
  QMenu* menu(const QString& name) const;

  MapImage* dmap() const { return dmap_; }
  // The status bar's readout of the point under the mouse.
  CursorReadout* readout() const { return readout_; }
  QFrame* dmap2() const { return dmap2_; }
  // The folder panel, once a first run has created it.
  FolderPanel* findloc() const;
  // The custom area panel (hidden until "Custom Area").
  CustomAreaPanel* getArea() const { return getArea_; }
  // "Find a Feature...", once it has been opened.
  FeatureFinder* featureFinder() const { return finder_; }
  // MEGDRList: the names of the tile files in the folder last clicked on
  // the panel, one per tile found, in ascending order.
  const QStringList& megdrList() const;

  QString legendText() const;
  QString percentText() const;
  // Texts for the optimise-shading dialog's altmax and altmin labels.
  const QString& altmaxText() const;
  const QString& altminText() const;

  // True while a renderer runs.
  bool drawing() const;
  // True once a data folder with sixteen tiles is in use.
  bool dataFolderReady() const;

  // What a shortcut key does: runs the open commands of the menus that
  // hold the entry, outermost first, then the item's command; nothing when
  // a menu on the way or the item is disabled. False for an unknown key.
  bool activateShortcut(const QKeySequence& key);
  // What opening a menu does: runs its open command.
  void openMenu(const QString& name);

  // Commands, named after the components that raise them.
  void gettile(QAction* item);
  void MsizeClick(QAction* item);
  void m_areaClick(QAction* item = nullptr);
  void m_sizeClick(QAction* item = nullptr);
  void m_loadClick(QAction* item = nullptr);
  void m_SaveMapClick(QAction* item = nullptr);
  void BMPSave(const std::string& name);
  void m_SaveLegendClick(QAction* item = nullptr);
  void m_reliefClick(QAction* item = nullptr);
  void m_namesClick(QAction* item = nullptr);
  // Topography > Projection: the projection the maps are drawn in, from now
  // on and for the map shown.
  void m_projectionClick(QAction* item);
  void DrawinbackgroundClick(QAction* item = nullptr);
  void m_terminateClick(QAction* item = nullptr);
  void m_endClick(QAction* item = nullptr);
  void SetColClick(QAction* item);
  void modeClick(QAction* item);
  void m_kkClick(QAction* item = nullptr);
  void m_defineClick(QAction* item = nullptr);
  void m_h000Click(QAction* item = nullptr);
  void m_h001Click(QAction* item = nullptr);
  void m_h003Click(QAction* item = nullptr);
  void m_h005Click(QAction* item = nullptr);
  void Dir002Click(const QString& path);
  void setfolderClick();

  // Map Area: the feature families, the category submenus that close the
  // location map when opened, the custom area, the location map and the
  // feature finder.
  void planitiae(QAction* item);
  void CrateredTerrain(QAction* item);
  void Crater(QAction* item);
  void Mountains(QAction* item);
  void Valleys(QAction* item);
  void Plateau(QAction* item);
  void m_planClick(QAction* item = nullptr);
  void m_cterClick(QAction* item = nullptr);
  void m_cratersClick(QAction* item = nullptr);
  void m_mountnClick(QAction* item = nullptr);
  void mensaeplateaus1Click(QAction* item = nullptr);
  void m_valClick(QAction* item = nullptr);
  void m_customClick(QAction* item = nullptr);
  void ShowLocation1Click(QAction* item = nullptr);
  void FindFeatureClick(QAction* item = nullptr);
  // "Elevation Profile": the next drag on the map draws a profile line (a
  // drag with the right button always does).
  void ProfileClick(QAction* item = nullptr);
  // "Explore Mars...": the explorer, about the map shown or on the whole
  // planet.
  void ExploreClick(QAction* item = nullptr);
  // The explorer, made the first time it is asked for.
  ExplorerWindow* explorer();
  MapProfileTool* profileTool() const { return profileTool_; }

  // Redraw the current map: the Resolution command of the current
  // resolution item, when that item is enabled.
  void redrawCurrentMap();
  bool redrawNeeded() const;
  // True once an area has been drawn (the area bounds hold a rectangle).
  bool areaKnown() const;

  // The map the user drew: the picture shown, or, while the annotated tile
  // map is shown, the map it covers. Save Map saves this one.
  const QImage& userMap() const;

  // StretchHost: "Default" leaves the user colours for the scheme the
  // settings file would store; the dialog's redraw goes by the map kind and
  // around the Resolution command, every time.
  int schemeAfterUserColours() const override;
  void redrawByMapKind() override;
  // 1 enables, 0 disables the Resolution and Topography menus and
  // "Optimise Shading"; any other value does nothing.
  void setDrawingMenus(int flag);
  void clearMapCheckMarks();

  // Draws the frame around the named place of the IAU's list with this
  // feature_id (Find a Feature), at its own step or at `step`. Refused,
  // without drawing, while a draw is running already, or for an unknown id.
  WindowDrawResult drawPlaceMap(int placeId, std::optional<int> step = std::nullopt);
  // Draws a view of the explorer (a window of the tiles' grid about
  // `centre`) as a map of its own, refused as drawPlaceMap is.
  WindowDrawResult drawViewMap(const GridWindow& window, GeoPoint centre);

  // Draws an area map (the feature commands and the custom area use it).
  // Refused, without drawing, while a draw is running already. A scheme or
  // mode chosen during the draw has the map drawn once more.
  AreaDrawResult drawAreaMap(int west, int north, int east, int south);

  // The projection chosen in Topography > Projection.
  ProjectionKind projection() const { return projection_; }
  // The frame of the map shown when it is drawn in a projection; nothing
  // for a simple cylindrical map.
  const std::optional<ProjectedFrame>& shownFrame() const { return shownFrame_; }

  // Runs `command` and turns any exception it throws into the general error
  // report; the program goes on.
  void runGuarded(const std::function<void()>& command);

  // Lets pending events (and the commands they run) run once: what the
  // renderers' host does whenever they let events run.
  virtual void processEvents();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void chooseColouring(QAction* item, int& value, int drawn, int itemBase, int itemCount);

  void buildWindow();
  void buildMenus();
  // The renderers' host on screen and the drawing control over it.
  void buildDrawing();

  void drawFeature(FeatureFamily family, QAction* item);
  void drawCustomArea(int west, int north, int east, int south);
  // drawAreaMap for a new map named `title` (shown) and `name` (offered by
  // Save Map).
  AreaDrawResult drawNamedArea(const AreaBounds& area, const std::string& title, const std::string& name);
  void drawFoundFeature(const QString& component);
  // A map of a window of the tiles' grid: a named place's (placeId from
  // the IAU's list) or a view's (placeId kExploredView).
  WindowDrawResult drawWindowMap(const GridWindow& window, int placeId, const std::string& title,
                                 const std::string& name);
  void closeLocationMap();

  // DataFolderHost
  void showColouring() override;
  int schemeToKeep() const override;
  void dataFolderOpened() override;
  void panelChanged() override;
  void runCommand(const std::function<void()>& command) override;

  // Why the map on screen is incomplete, as the save commands ask about it;
  // empty when it is whole.
  QString incompleteReason() const;
  // The Map Area items that draw: off until a data folder is in use.
  void setMapAreaItems(bool on);

  void redrawCurrentMapByKind();
  // One pass of the map shown, through the screen host: the tile, or the
  // area of the area bounds (false when the renderer refused it).
  bool drawShownTile();
  bool drawShownArea();
  // The frame of the named place shown, state_.gridWindow.
  bool drawShownWindow();
  // An area map of (west, north, east, south) in the projection chosen: the
  // area renderer's map, or the projected map of the area it would draw.
  bool drawAreaInProjection(int west, int north, int east, int south);
  // A pass of the map shown: in `frame`, once `prepare` has set the state as
  // the map's own renderer sets it; without a frame, `simple` draws it as
  // it always has been. The title says the projection. False when refused.
  bool drawInProjection(const std::optional<ProjectedFrame>& frame, const std::function<bool()>& simple,
                        const std::function<void()>& prepare);
  // The frame a map of `area` that simple cylindrical draws at `step` is
  // drawn in under the projection chosen; nothing when it is drawn simple
  // cylindrical, and the user is told once why when the projection chosen
  // does not apply to it.
  std::optional<ProjectedFrame> frameFor(const GeoBounds& area, int step);
  // The frame the map shown would be drawn in now.
  std::optional<ProjectedFrame> frameOfShownMap();
  // Check-marks the item of the projection chosen.
  void showProjection();
  // The location map, with its cross on the map shown.
  void showMapLocation();
  // The location map's rectangle becomes the area just drawn.
  void noteAreaBounds();
  // The annotated tile map gives the user's map back, with its sizes.
  void endAnnotatedView();
  void showAnnotatedMap();
  void checkOnly(int base, int count, int number);
  int checkedNumber(int base, int count) const;
  void layoutMapArea();
  QString viewSettingsFile() const;
  void rememberView(const QString& what);

  QString startDir_;
  DialogHost& dialogs_;
  MapViewState state_;
  std::unique_ptr<MenuSet> menus_;

  QScrollArea* scroll_ = nullptr;
  QWidget* mapArea_ = nullptr;
  QFrame* dmap2_ = nullptr;
  MapImage* dmap_ = nullptr;
  std::unique_ptr<DataFolderSetup> setup_;
  CustomAreaPanel* getArea_ = nullptr;
  FeatureFinder* finder_ = nullptr;
  QPointer<TLocationMap> locationMap_;
  // The rectangle of the map on screen (a tile's box after a tile map), for
  // the location map; nothing before the first map.
  std::optional<AreaBounds> mapBounds_;
  CursorReadout* readout_ = nullptr;
  MapLabels* labels_ = nullptr;  // the names over dmap
  MapProfileTool* profileTool_ = nullptr;  // the profile line over dmap
  QPointer<ExplorerWindow> explorer_;
  QPointer<TVertKey> colourKey_;
  QPointer<TProgDetails> aboutBox_;
  QPointer<TStretchColours> stretch_;
  std::unique_ptr<HelpWindow> help_;
  QStringList helpSearchDirs_;

  // The annotated tile map (`Mars`), decoded on first use; the user's map
  // and the sizes of dmap and dmap2 while it covers them.
  QImage mars_;
  QImage keptMap_;
  std::vector<std::uint8_t> keptMask_;  // and which of its pixels show a sample
  QSize keptImageSize_;
  QSize keptPanelSize_;

  bool viewSettingsFailed_ = false;  // told the user once this run

  ProjectionKind projection_ = ProjectionKind::Equirectangular;
  // Told why the projection chosen does not apply to a map, since it was
  // chosen.
  bool projectionNoteShown_ = false;
  std::optional<ProjectedFrame> shownFrame_;

  std::unique_ptr<ScreenHost> screen_;
  std::unique_ptr<DrawController> draws_;
};

}  // namespace tarvelon
