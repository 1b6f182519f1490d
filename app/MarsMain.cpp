#include "app/MarsMain.h"

#include <QFile>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/CursorReadout.h"
#include "app/DataFolderSetup.h"
#include "app/DialogHost.h"
#include "app/DrawController.h"
#include "app/FolderPanel.h"
#include "app/HelpMenu.h"
#include "app/LegendSave.h"
#include "app/MapImage.h"
#include "app/MapLabels.h"
#include "app/MapProfileTool.h"
#include "app/MapSave.h"
#include "app/MenuSet.h"
#include "app/ProjectionChoice.h"
#include "app/ScreenHost.h"
#include "core/Settings.h"
#include "core/ViewSettings.h"
#include "core/AtomicFile.h"
#include "core/MessageText.h"
#include "dem/GridSampler.h"
#include "dem/TileNames.h"
#include "render/AreaRenderer.h"
#include "render/DrawSync.h"
#include "render/ExploreView.h"
#include "render/Hillshade.h"
#include "render/MapPlan.h"
#include "render/Resolution.h"
#include "render/TileRenderer.h"
#include "select/CustomArea.h"
#include "select/CustomAreaPanel.h"
#include "select/FeatureFinder.h"
#include "select/PlaceFrame.h"
#include "select/LocMap.h"
#include "windows/HelpWindow.h"
#include "windows/KeyMain.h"
#include "windows/Stretch.h"
#include "windows/about.h"

#ifndef TARVELON_DATA_DIR
#define TARVELON_DATA_DIR ""
#endif

namespace tarvelon {

namespace {

constexpr int kMapLeft = 6;       // dmap2 within the window's map area
constexpr int kMapTop = 0;
constexpr int kImageOffset = 6;   // dmap within dmap2

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

// The view settings' projection and the maps' own: the same four, in the
// same order.
ProjectionKind projectionOf(ViewProjection projection) {
  switch (projection) {
    case ViewProjection::SimpleCylindrical: return ProjectionKind::Equirectangular;
    case ViewProjection::NorthPolar: return ProjectionKind::NorthPolar;
    case ViewProjection::SouthPolar: return ProjectionKind::SouthPolar;
    case ViewProjection::Globe: return ProjectionKind::Globe;
  }
  return ProjectionKind::Equirectangular;
}

ViewProjection viewProjectionOf(ProjectionKind kind) {
  switch (kind) {
    case ProjectionKind::Equirectangular: return ViewProjection::SimpleCylindrical;
    case ProjectionKind::NorthPolar: return ViewProjection::NorthPolar;
    case ProjectionKind::SouthPolar: return ViewProjection::SouthPolar;
    case ProjectionKind::Globe: return ViewProjection::Globe;
  }
  return ViewProjection::SimpleCylindrical;
}

SourceOpener tileGridOpener(const MapViewState& state) {
  return [folder = state.demFolder, names = state.tileNames] { return std::make_unique<GridSampler>(folder, names); };
}

}  // namespace

TMainForm::TMainForm(const QString& startDir, DialogHost& dialogs, QWidget* parent)
    : QMainWindow(parent), startDir_(startDir), dialogs_(dialogs) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QString::fromLatin1(kMainCaption));
  // First values: the struct's initialisers are the program's first values
  // (scheme 1, mode 1, nothing drawn yet).
  state_ = MapViewState{};
  const QString executableDir = QCoreApplication::applicationDirPath();
  helpSearchDirs_ = {executableDir, executableDir + QStringLiteral("/../share/tarvelon"),
                     QString::fromUtf8(TARVELON_DATA_DIR)};
  setWindowIcon(programIcon());
  buildWindow();
  buildMenus();
  buildDrawing();
  action(QStringLiteral("m_SaveMap"))->setEnabled(false);
  showColouring();
  const ViewSettings view = readViewSettings(QFile::encodeName(viewSettingsFile()).toStdString());
  state_.reliefShading = view.reliefShading;
  action(QStringLiteral("m_relief"))->setChecked(state_.reliefShading == 1);
  labels_->setNamesShown(view.featureNames == 1);
  action(QStringLiteral("m_names"))->setChecked(view.featureNames == 1);
  projection_ = projectionOf(view.projection);
  showProjection();
  // Nothing can be drawn until a map exists, nor any tile chosen before the
  // data folder is known.
  setDrawingMenus(0);
  menu(QStringLiteral("m_load"))->menuAction()->setEnabled(false);
  setMapAreaItems(false);

  setup_ = std::make_unique<DataFolderSetup>(startDir_, state_, dialogs_, static_cast<DataFolderHost&>(*this), mapArea_,
                                             QPoint(kMapLeft, kMapTop));
  setup_->start();
}

TMainForm::~TMainForm() = default;

void TMainForm::setStretchColours(TStretchColours* dialog) {
  stretch_ = dialog;
  screen_->setStretchDialog(dialog);
}

const QString& TMainForm::altmaxText() const { return screen_->altmaxText(); }
const QString& TMainForm::altminText() const { return screen_->altminText(); }

bool TMainForm::drawing() const { return draws_->drawing(); }

QIcon TMainForm::programIcon() { return QIcon(QString::fromLatin1(kIconResource)); }

QImage TMainForm::annotatedMapPicture(QString& problem) { return tarvelon::annotatedMapPicture(problem); }

QStringList TMainForm::helpFilePlaces() const {
  return tarvelon::helpFilePlaces(QStringList{startDir_} + helpSearchDirs_);
}

QString TMainForm::viewSettingsFile() const {
  return QFile::decodeName(QByteArray::fromStdString(viewSettingsPath(QFile::encodeName(startDir_).toStdString())));
}

// ---------------------------------------------------------------------------
// Window and menus

void TMainForm::buildWindow() {
  resize(816, 718);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect desk = screen->availableGeometry();
    move(desk.center() - QPoint(816 / 2, 718 / 2));
  }

  scroll_ = new QScrollArea(this);
  scroll_->setObjectName(QStringLiteral("mapScroll"));
  scroll_->setWidgetResizable(false);
  scroll_->setFrameShape(QFrame::NoFrame);
  mapArea_ = new QWidget;
  mapArea_->setObjectName(QStringLiteral("mapArea"));

  dmap2_ = new QFrame(mapArea_);
  dmap2_->setObjectName(QStringLiteral("dmap2"));
  dmap2_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  dmap2_->setLineWidth(2);
  dmap2_->setGeometry(kMapLeft, kMapTop, 294, 181);

  dmap_ = new MapImage(dmap2_);
  dmap_->setObjectName(QStringLiteral("dmap"));
  dmap_->setGeometry(kImageOffset, kImageOffset, 120, 170);

  scroll_->setWidget(mapArea_);
  setCentralWidget(scroll_);
  layoutMapArea();

  // The custom area panel lies over the top-left corner of the client area,
  // whatever part of the map is scrolled into view.
  getArea_ = new CustomAreaPanel(scroll_);
  getArea_->move(0, 0);
  connect(getArea_, &CustomAreaPanel::information, this, [this](const QString& text) { dialogs_.information(text); });
  connect(getArea_, &CustomAreaPanel::error, this, [this](const QString& text) { dialogs_.error(text); });
  connect(getArea_, &CustomAreaPanel::drawRequested, this, [this](int west, int north, int east, int south) {
    runGuarded([=, this] { drawCustomArea(west, north, east, south); });
  });

  readout_ = new CursorReadout(state_, this);
  // The readout names the feature under the mouse.
  readout_->showPlaceNames(true);
  statusBar()->addWidget(readout_, 1);
  readout_->watch(dmap_);
  labels_ = new MapLabels(*dmap_, [this] { return readout_->shownMap().geometry(); });
  profileTool_ = new MapProfileTool(*dmap_, [this] { return readout_->shownMap().geometry(); });
  profileTool_->setDialogs(
      [this](const QString& title, const QString& filter, const QString& suffix, const QString& name) {
        return dialogs_.saveFileName(SaveFileRequest{title, filter, suffix, name});
      },
      [this](const QString& text) { dialogs_.error(text); });
  connect(dmap_, &MapImage::pictureCleared, profileTool_, &MapProfileTool::clearLine);
  connect(dmap_, &MapImage::pictureCleared, readout_, [this] { readout_->follow(&ShownMap::pictureCleared); });
  connect(dmap_, &MapImage::imageShown, readout_, [this] { readout_->follow(&ShownMap::otherPictureShown); });
}

void TMainForm::layoutMapArea() {
  QRect bounds = dmap2_->geometry();
  if (findloc() != nullptr && !findloc()->isHidden()) bounds |= findloc()->geometry();
  mapArea_->setFixedSize(bounds.right() + 1, bounds.bottom() + 1);
}

void TMainForm::buildMenus() {
  menus_ = std::make_unique<MenuSet>(menuBar(), this, [this](const MenuEntry& entry, QAction* item) {
    runGuarded([this, &entry, item] { (this->*entry.command)(item); });
  });
  // A map that can be saved can be saved with its legend.
  QAction* saveMap = action(QStringLiteral("m_SaveMap"));
  QAction* saveLegend = action(QStringLiteral("m_SaveLegend"));
  connect(saveMap, &QAction::changed, saveLegend, [saveMap, saveLegend] { saveLegend->setEnabled(saveMap->isEnabled()); });
}

QAction* TMainForm::menuItem(int i) const { return menus_->item(i); }

QAction* TMainForm::action(const QString& name) const { return menus_->action(name); }

QMenu* TMainForm::menu(const QString& name) const { return menus_->menu(name); }

bool TMainForm::activateShortcut(const QKeySequence& key) { return menus_->activateShortcut(key); }

void TMainForm::openMenu(const QString& name) { menus_->openMenu(name); }

void TMainForm::checkOnly(int base, int count, int number) { menus_->checkOnly(base, count, number); }

int TMainForm::checkedNumber(int base, int count) const { return menus_->checkedNumber(base, count); }

void TMainForm::buildDrawing() {
  const ScreenHost::Screen screen{*dmap_, *dmap2_, *readout_, *action(QStringLiteral("legend")),
                                  *action(QStringLiteral("prcent")), *menus_, dialogs_};
  screen_ = std::make_unique<ScreenHost>(state_, screen,
                                         ScreenHost::Hooks{
                                             [this] { processEvents(); },
                                             [this] { layoutMapArea(); },
                                             [this](const std::string& text) { draws_->percentShown(text); },
                                             [this] {
                                               action(QStringLiteral("m_SaveMap"))->setEnabled(true);
                                               setDrawingMenus(1);
                                             },
                                         });
  draws_ = std::make_unique<DrawController>(state_, *screen_,
                                            DrawController::Hooks{
                                                [this] { endAnnotatedView(); },
                                                [this] { readout_->follow(&ShownMap::drawEnded); },
                                                [this] { QTimer::singleShot(0, this, &QWidget::close); },
                                            });
}

QString TMainForm::legendText() const { return screen_->legendText(); }

QString TMainForm::percentText() const { return screen_->percentText(); }

void TMainForm::runGuarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& error) {
    dialogs_.error(fromStd(displaySafe(error.what())));
  } catch (...) {
    dialogs_.error(QStringLiteral("An unexpected error ended the command."));
  }
}

// ---------------------------------------------------------------------------
// Start-up, data folder and settings

void TMainForm::showColouring() {
  checkOnly(kSchemeItemBase, kSchemeCount, state_.colourScheme);
  checkOnly(kModeItemBase, kModeCount, state_.shadingMode);
}

int TMainForm::schemeToKeep() const {
  return schemeToStore(state_.colourScheme, state_.drawnScheme, checkedNumber(kSchemeItemBase, kSchemeCount));
}

void TMainForm::dataFolderOpened() {
  getArea_->resetHalves();
  dmap2_->resize(496, 241);
  layoutMapArea();
  setDrawingMenus(0);
  menu(QStringLiteral("m_load"))->menuAction()->setEnabled(true);
  setMapAreaItems(true);
  profileTool_->setSource(tileGridOpener(state_));
  if (explorer_ != nullptr) explorer_->setSource(tileGridOpener(state_));
}

void TMainForm::setMapAreaItems(bool on) {
  // Everything in Map Area that draws; "Map Location" draws nothing.
  for (const FeatureMenu& submenu : featureMenus()) {
    menu(QString::fromLatin1(submenu.component))->menuAction()->setEnabled(on);
  }
  action(QStringLiteral("m_custom"))->setEnabled(on);
  action(QStringLiteral("m_find"))->setEnabled(on);
  action(QStringLiteral("m_profile"))->setEnabled(on);
  action(QStringLiteral("m_explore"))->setEnabled(on);
}

void TMainForm::panelChanged() { layoutMapArea(); }

void TMainForm::runCommand(const std::function<void()>& command) { runGuarded(command); }

bool TMainForm::startUpEnded() const { return setup_->ended(); }
bool TMainForm::dataFolderReady() const { return setup_->ready(); }
FolderPanel* TMainForm::findloc() const { return setup_ != nullptr ? setup_->panel() : nullptr; }
const QStringList& TMainForm::megdrList() const { return setup_->megdrList(); }
QString TMainForm::settingsFile() const { return setup_->settingsFile(); }
void TMainForm::Dir002Click(const QString& path) { setup_->folderClicked(path); }
void TMainForm::setfolderClick() { setup_->confirmClicked(); }

void TMainForm::m_endClick(QAction*) {
  // Without a confirmed data folder there is nothing worth keeping.
  if (setup_->ready()) setup_->writeSettingsFile();
  close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  // During a draw the draw stops first; the window closes once the renderer
  // returned.
  if (!draws_->closeRequested()) {
    event->ignore();
    return;
  }
  if (colourKey_ != nullptr) colourKey_->close();
  if (locationMap_ != nullptr) locationMap_->closeWindow();
  if (finder_ != nullptr) finder_->close();
  if (explorer_ != nullptr) explorer_->closeAll();
  if (profileTool_->profileWindow() != nullptr) profileTool_->profileWindow()->close();
  if (aboutBox_ != nullptr) aboutBox_->hide();
  if (stretch_ != nullptr) stretch_->hide();
  if (help_ != nullptr) help_->close();
  event->accept();
}

// ---------------------------------------------------------------------------
// Drawing control

bool TMainForm::redrawNeeded() const {
  return state_.resolutionIndex != state_.drawnResolution || state_.colourScheme != state_.drawnScheme ||
         state_.shadingMode != state_.drawnMode || state_.reliefShading != state_.drawnRelief;
}

void TMainForm::redrawCurrentMap() {
  QAction* item = menuItem(kResolutionItemBase + state_.resolutionIndex);
  if (item != nullptr && item->isEnabled()) MsizeClick(item);
}

bool TMainForm::areaKnown() const {
  return state_.areaWest < state_.areaEast && state_.areaSouth < state_.areaNorth;
}

int TMainForm::schemeAfterUserColours() const {
  return schemeToStore(kUserColours, state_.drawnScheme, checkedNumber(kSchemeItemBase, kSchemeCount));
}

void TMainForm::redrawByMapKind() {
  // The dialog's buttons are not menu commands: a failed draw is reported
  // here.
  runGuarded([this] { redrawCurrentMapByKind(); });
}

void TMainForm::redrawCurrentMapByKind() {
  // The running draw takes the new colours from its next line; it is then
  // drawn once more, whole, as after a scheme change.
  if (draws_->colouringChosen()) return;
  // The menu shows the scheme the map is drawn in.
  if (state_.colourScheme >= 0 && state_.colourScheme < kSchemeCount) {
    checkOnly(kSchemeItemBase, kSchemeCount, state_.colourScheme);
  }
  if (state_.mapKind == 0) {
    if (!areaKnown()) {
      screen_->setLegend("Choose an area from the Map Area menu");
      screen_->setPercent({});
      return;
    }
    DrawPlan redraw;
    redraw.draw = [this] { return drawShownArea(); };
    redraw.atShownStep = true;
    draws_->settle(redraw);
  } else if (state_.mapKind == 1) {
    if (state_.tilePath.empty()) {
      screen_->setLegend("Choose a tile from the File menu");
      screen_->setPercent({});
      return;
    }
    DrawPlan redraw;
    redraw.draw = [this] { return drawShownTile(); };
    draws_->settle(redraw);
  } else if (state_.mapKind == 2) {
    DrawPlan redraw;
    redraw.draw = [this] { return drawShownWindow(); };
    redraw.atShownStep = true;
    draws_->settle(redraw);
  }
}

bool TMainForm::drawShownTile() {
  const std::optional<ProjectedFrame> frame = frameFor(geoBoundsOf(state_.tileBox), state_.sampleStep);
  return drawInProjection(
      frame,
      [this] {
        drawTile(state_, *screen_);
        return true;
      },
      {});
}

bool TMainForm::drawShownWindow() {
  const GridWindow window = state_.gridWindow;
  const std::optional<ProjectedFrame> frame = frameFor(geoBoundsOf(MapGeometry::ofWindow(window)), window.step);
  return drawInProjection(
      frame,
      [this, &window] {
        return drawGridWindow(window, state_, *screen_, tileGridOpener(state_)) != WindowDrawResult::Refused;
      },
      [this, &window] {
        // A place's frame is drawn at its own step, whose Resolution item
        // is checked, whatever it is drawn in.
        state_.sampleStep = window.step;
        state_.resolutionIndex = resolutionIndexOfStep(window.step, state_.resolutionIndex);
        screen_->checkResolution(state_.resolutionIndex);
      });
}

bool TMainForm::drawShownArea() {
  return drawAreaInProjection(state_.areaWest, state_.areaNorth, state_.areaEast, state_.areaSouth);
}

bool TMainForm::drawAreaInProjection(int west, int north, int east, int south) {
  const auto simple = [&] { return drawArea(west, north, east, south, state_, *screen_) != AreaDrawResult::Refused; };
  if (projection_ == ProjectionKind::Equirectangular) return drawInProjection(std::nullopt, simple, {});
  const bool ownStep = state_.autoResolution == 1;
  const MapPlan plan =
      planArea(west, north, east, south, ownStep ? std::nullopt : std::optional<int>(state_.sampleStep), true);
  // An area with nothing to draw is refused as it always is. One too large
  // in simple cylindrical may still fit in a projection, which is asked.
  if (plan.refusal == MapPlan::Refusal::Unfit || plan.refusal == MapPlan::Refusal::TooSmall) {
    return drawInProjection(std::nullopt, simple, {});
  }
  const std::optional<ProjectedFrame> frame = frameFor(geoBoundsOf(plan.bounds), plan.step);
  return drawInProjection(frame, simple, [this, &plan, ownStep] {
    // What the area renderer does as it takes an area: the area as fitted
    // and its step, chosen for its size when it chooses its own.
    if (!plan.note.empty()) screen_->inform(plan.note);
    state_.areaWest = plan.bounds.west;
    state_.areaNorth = plan.bounds.north;
    state_.areaEast = plan.bounds.east;
    state_.areaSouth = plan.bounds.south;
    state_.tileBox = plan.layout.box;
    if (ownStep) {
      state_.sampleStep = plan.step;
      screen_->checkResolution(resolutionIndexOfStep(plan.step, state_.resolutionIndex));
      state_.autoResolution = 0;
      screen_->clearMap();
    }
    state_.resolutionIndex = resolutionIndexOfStep(plan.step, state_.resolutionIndex);
  });
}

bool TMainForm::drawInProjection(const std::optional<ProjectedFrame>& frame, const std::function<bool()>& simple,
                                 const std::function<void()>& prepare) {
  // A refused draw leaves the map shown with its own title and frame.
  const std::string shownTitle = state_.mapTitle;
  const std::optional<ProjectedFrame> shownFrame = std::exchange(shownFrame_, frame);
  const std::string title = plainTitle(shownTitle);
  bool drawn = false;
  if (!frame) {
    state_.mapTitle = title;
    drawn = simple();
  } else {
    state_.mapTitle = projectedTitle(title, frame->projection.kind);
    // The screen keeps the map whole: one too large for it is refused
    // (drawProjectedFrame tells the user why) before anything about it
    // changes.
    if (prepare && std::int64_t(frame->width) * frame->height <= kMaxAreaPixels) prepare();
    drawn = drawProjectedFrame(*frame, state_, *screen_, tileGridOpener(state_)) != WindowDrawResult::Refused;
  }
  if (!drawn) {
    state_.mapTitle = shownTitle;
    shownFrame_ = shownFrame;
  }
  return drawn;
}

std::optional<ProjectedFrame> TMainForm::frameFor(const GeoBounds& area, int step) {
  // The globe fits the view whole, with the panel around it.
  const QSize view = scroll_->viewport()->size();
  const int globe = globeSizeFor(view.width() - kMapLeft - kPanelMargin, view.height() - kMapTop - kPanelMargin);
  const ProjectedView chosen = projectedView(projection_, area, step, globe);
  if (!chosen.note.empty() && !projectionNoteShown_) {
    projectionNoteShown_ = true;
    dialogs_.information(fromStd(chosen.note));
  }
  return chosen.frame;
}

std::optional<ProjectedFrame> TMainForm::frameOfShownMap() {
  switch (state_.mapKind) {
    case 1:
      return frameFor(geoBoundsOf(state_.tileBox), state_.sampleStep);
    case 2:
      return frameFor(geoBoundsOf(MapGeometry::ofWindow(state_.gridWindow)), state_.gridWindow.step);
    default: {
      // Redrawn at the step it is shown at.
      if (state_.sampleStep < 1) return std::nullopt;
      const MapPlan plan = planArea(state_.areaWest, state_.areaNorth, state_.areaEast, state_.areaSouth,
                                    state_.sampleStep, true);
      if (plan.refusal == MapPlan::Refusal::Unfit || plan.refusal == MapPlan::Refusal::TooSmall) return std::nullopt;
      return frameFor(geoBoundsOf(plan.bounds), plan.step);
    }
  }
}

void TMainForm::noteAreaBounds() {
  mapBounds_ = AreaBounds{state_.areaWest, state_.areaNorth, state_.areaEast, state_.areaSouth};
}

void TMainForm::setDrawingMenus(int flag) {
  if (flag != 0 && flag != 1) return;
  const bool on = flag == 1;
  menu(QStringLiteral("m_size"))->menuAction()->setEnabled(on);
  menu(QStringLiteral("m_topo"))->menuAction()->setEnabled(on);
  action(QStringLiteral("m_define"))->setEnabled(on);
}

void TMainForm::clearMapCheckMarks() {
  // "Custom Area" goes with them: its mark would otherwise outlive its map.
  for (const char* category : {"m_plan", "m_cter", "m_craters", "m_mountn", "m_val", "m_custom"}) {
    if (QAction* item = action(QString::fromLatin1(category))) item->setChecked(false);
  }
  for (int i = kTileItemBase; i < kTileItemBase + kTileCount; ++i) {
    if (QAction* it = menuItem(i)) it->setChecked(false);
  }
  for (int i = kFeatureItemBase; i < kMenuItemCount; ++i) {
    if (QAction* it = menuItem(i)) it->setChecked(false);
  }
}

AreaDrawResult TMainForm::drawAreaMap(int west, int north, int east, int south) {
  if (drawing() || !setup_->ready()) return AreaDrawResult::Refused;
  // The map on screen becomes an area map once the renderer takes the area.
  const int shownKind = state_.mapKind;
  state_.mapKind = 0;
  DrawPlan area;
  area.draw = [&] { return drawAreaInProjection(west, north, east, south); };
  area.drawn = [this] {
    noteAreaBounds();
    // Every resolution is open to an area map, also to the redraw that a
    // scheme or mode change makes before the Resolution menu is next opened.
    for (int k = 0; k < kResolutionCount; ++k) menuItem(kResolutionItemBase + k)->setEnabled(true);
  };
  area.record = DrawPlan::Record::Ending;
  switch (draws_->settle(area)) {
    case DrawEnd::Refused:
      state_.mapKind = shownKind;
      return AreaDrawResult::Refused;
    case DrawEnd::Stopped:
      return AreaDrawResult::Stopped;
    case DrawEnd::Completed:
      break;
  }
  return AreaDrawResult::Completed;
}

AreaDrawResult TMainForm::drawNamedArea(const AreaBounds& area, const std::string& title, const std::string& name) {
  // The renderer shows the title as it draws; a refused area leaves the map
  // on screen with its own names.
  const std::string shownTitle = std::exchange(state_.mapTitle, title);
  const std::string shownName = std::exchange(state_.mapName, name);
  const AreaDrawResult result = drawAreaMap(area.west, area.north, area.east, area.south);
  if (result == AreaDrawResult::Refused) {
    state_.mapTitle = shownTitle;
    state_.mapName = shownName;
  }
  return result;
}

void TMainForm::gettile(QAction* item) {
  // One draw at a time: a tile chosen while a map is drawn is refused.
  if (drawing() || !setup_->ready()) return;
  const int n = itemNumber(item);
  if (n < 0 || n >= kTileCount) return;
  state_.mapKind = 1;
  state_.resolutionIndex = 0;
  state_.drawnResolution = -1;
  const std::string& name = state_.tileNames[static_cast<std::size_t>(n)];
  state_.tilePath = tilePath(state_.demFolder, name);
  state_.tileBox = tileBox(n);
  state_.mapTitle = "Tile: " + name;
  const TileBox box = tileBox(n);
  mapBounds_ = AreaBounds{box.tileWest, box.tileNorth, box.tileEast, box.tileSouth};
  checkOnly(kTileItemBase, kTileCount, n);
  state_.stopRequested = 0;
  redrawCurrentMap();
  action(QStringLiteral("m_SaveMap"))->setEnabled(true);
  setDrawingMenus(1);
}

void TMainForm::MsizeClick(QAction* item) {
  if (drawing()) return;
  const int n = itemNumber(item);
  if (n < 0 || n >= kResolutionCount) return;
  checkOnly(kResolutionItemBase, kResolutionCount, -1);
  state_.sampleStep = kStepOfResolution[static_cast<std::size_t>(n)];
  state_.resolutionIndex = n;
  item->setChecked(true);
  if (!redrawNeeded()) return;
  if (state_.mapKind == 0 && !areaKnown()) {
    // Area mode before any area was drawn: there is nothing to redraw, and
    // the map on screen stays.
    screen_->setLegend("Choose an area from the Map Area menu");
    screen_->setPercent({});
    return;
  }
  endAnnotatedView();
  // The old map goes before the new one is drawn.
  if (state_.resolutionIndex != state_.drawnResolution) dmap_->clearPicture();
  // A refused area (the renderer told the user why) leaves no map drawn.
  if (state_.mapKind == 2) {
    // A named place's frame at the step chosen, about the same place.
    if (const NamedPlace* place = PlaceNames::builtIn().byId(state_.placeId)) {
      state_.gridWindow = placeWindow(*place, state_.sampleStep);
    } else if (state_.placeId == kExploredView) {
      // A view of the explorer: the same ground at the step chosen.
      state_.gridWindow = windowAtStep(state_.gridWindow, state_.sampleStep, kTileGridSpec);
    }
  }
  DrawPlan redraw;
  redraw.draw = [this] {
    if (state_.mapKind == 1) return drawShownTile();
    if (state_.mapKind == 2) return drawShownWindow();
    const bool drawn = drawShownArea();
    if (drawn) noteAreaBounds();
    return drawn;
  };
  redraw.record = DrawPlan::Record::Colouring;
  redraw.atShownStep = true;
  draws_->settle(redraw);
}

void TMainForm::m_areaClick(QAction*) {
  if (drawing()) return;
  // The next area drawn chooses its own step. The map on screen stays what
  // it is: its kind, step and resolution mark are those a colour or
  // resolution change redraws it with, until another map is drawn.
  state_.stopRequested = 0;
  state_.autoResolution = 1;
}

void TMainForm::m_sizeClick(QAction*) {
  if (state_.mapKind == 0 || state_.mapKind == 2) {
    for (int k = 0; k < kResolutionCount; ++k) menuItem(kResolutionItemBase + k)->setEnabled(true);
  } else if (state_.mapKind == 1) {
    menuItem(kResolutionItemBase + 6)->setEnabled(false);
    menuItem(kResolutionItemBase + 7)->setEnabled(false);
  }
}

void TMainForm::m_loadClick(QAction*) {
  // The annotated tile map stays while a tile is chosen from it; the
  // user's map under it goes when the tile is drawn.
  if (drawing() || state_.annotatedShown == 1) return;
  dmap_->clearPicture();
}

void TMainForm::m_terminateClick(QAction*) {
  draws_->requestStop();
  screen_->setAltitudeLabels(altitudeLabel(state_, state_.altMax), altitudeLabel(state_, state_.altMin));
  dmap_->setCursor(Qt::ArrowCursor);
}

void TMainForm::DrawinbackgroundClick(QAction*) {
  state_.drawInBackground = 1 - state_.drawInBackground;
  action(QStringLiteral("Drawinbackground"))->setChecked(state_.drawInBackground == 1);
}

// ---------------------------------------------------------------------------
// Map Area: features, custom area, location map

void TMainForm::drawFeature(FeatureFamily family, QAction* item) {
  if (drawing()) return;
  const FamilyInfo& info = familyInfo(family);
  const FeatureRow* row = findFeature(family, itemNumber(item));
  QAction* feature = row != nullptr ? menuItem(info.menuItemBase + row->number) : nullptr;
  if (feature == nullptr) return;
  // The map is named after the caption as the menu item holds it.
  const QString caption = captionOf(feature);
  if (drawNamedArea({row->west, row->north, row->east, row->south}, featureTitle(family, caption.toStdString()),
                    caption.toStdString()) == AreaDrawResult::Refused) {
    return;
  }
  clearMapCheckMarks();
  feature->setChecked(true);
  action(QString::fromLatin1(info.categoryItem))->setChecked(true);
  setDrawingMenus(1);
}

void TMainForm::planitiae(QAction* item) { drawFeature(FeatureFamily::Planitiae, item); }
void TMainForm::CrateredTerrain(QAction* item) { drawFeature(FeatureFamily::CrateredTerrain, item); }
void TMainForm::Crater(QAction* item) { drawFeature(FeatureFamily::Craters, item); }
void TMainForm::Mountains(QAction* item) { drawFeature(FeatureFamily::Mountains, item); }
void TMainForm::Valleys(QAction* item) { drawFeature(FeatureFamily::Valleys, item); }
void TMainForm::Plateau(QAction* item) { drawFeature(FeatureFamily::Plateaus, item); }

void TMainForm::closeLocationMap() {
  if (locationMap_ != nullptr) locationMap_->closeWindow();
  state_.locationShown = 0;
  action(QStringLiteral("ShowLocation1"))->setChecked(false);
}

void TMainForm::m_planClick(QAction*) { closeLocationMap(); }
void TMainForm::m_cterClick(QAction*) { closeLocationMap(); }
void TMainForm::m_cratersClick(QAction*) { closeLocationMap(); }
void TMainForm::m_mountnClick(QAction*) { closeLocationMap(); }
void TMainForm::mensaeplateaus1Click(QAction*) { closeLocationMap(); }
void TMainForm::m_valClick(QAction*) { closeLocationMap(); }

void TMainForm::m_customClick(QAction*) { getArea_->showPanel(); }

void TMainForm::drawCustomArea(int west, int north, int east, int south) {
  if (drawing()) {
    // One draw at a time: the panel stays for another try.
    getArea_->showPanel();
    return;
  }
  if (drawNamedArea({west, north, east, south}, kCustomAreaName, kCustomAreaName) == AreaDrawResult::Refused) return;
  clearMapCheckMarks();
  action(QStringLiteral("m_custom"))->setChecked(true);
  setDrawingMenus(1);
}

void TMainForm::setLocationMap(TLocationMap* map) {
  locationMap_ = map;
  if (map == nullptr) return;
  // Closed by its own close box, the window is no longer shown: the menu
  // says so, and the next "Map Location" shows it again.
  connect(map, &TLocationMap::closedByUser, this, [this] {
    state_.locationShown = 0;
    action(QStringLiteral("ShowLocation1"))->setChecked(false);
  });
  connect(map, &TLocationMap::pointChosen, this, [this](double longitude, double latitude) {
    if (!setup_->ready()) return;
    // A few samples a pixel: a region about the point, to zoom from.
    explorer()->showAt(GeoPoint{longitude, latitude}, 8);
  });
}

void TMainForm::ShowLocation1Click(QAction*) {
  state_.locationShown = 1 - state_.locationShown;
  action(QStringLiteral("ShowLocation1"))->setChecked(state_.locationShown == 1);
  if (locationMap_ == nullptr) return;
  if (state_.locationShown == 1) {
    showMapLocation();
  } else {
    locationMap_->closeWindow();
  }
}

void TMainForm::showMapLocation() {
  if (locationMap_ == nullptr) return;
  // A projected map is marked at its centre (the pole of a polar cap); any
  // other at the middle of its area.
  const std::optional<GeoPoint> centre = shownFrame_ ? shownFrame_->centre() : std::nullopt;
  if (centre) {
    locationMap_->showLocationAt(fromStd(state_.mapTitle), locationCross(centre->longitude, centre->latitude));
  } else {
    locationMap_->showLocation(fromStd(state_.mapTitle), mapBounds_);
  }
}

void TMainForm::FindFeatureClick(QAction*) {
  if (finder_ == nullptr) {
    finder_ = new FeatureFinder(this);
    connect(finder_, &FeatureFinder::featureChosen, this,
            [this](const QString& component) { runGuarded([this, component] { drawFoundFeature(component); }); });
    connect(finder_, &FeatureFinder::placeChosen, this,
            [this](int placeId) { runGuarded([this, placeId] { drawPlaceMap(placeId); }); });
  }
  finder_->showFinder();
}

void TMainForm::drawFoundFeature(const QString& component) {
  // As if the feature were chosen from its submenu: the Map Area menu's own
  // command first, then the item's.
  QAction* item = action(component);
  const MenuEntry* entry = menus_->entry(component);
  if (item == nullptr || entry == nullptr || drawing()) return;
  m_areaClick();
  menus_->run(*entry, item);
}

void TMainForm::ProfileClick(QAction*) {
  if (!setup_->ready()) return;
  profileTool_->arm();
  screen_->setLegend("Drag a line across the map for its elevation profile");
}

ExplorerWindow* TMainForm::explorer() {
  if (explorer_ == nullptr) {
    explorer_ = new ExplorerWindow(this);
    explorer_->followColouring([this] { return static_cast<const Colouring&>(state_); });
    explorer_->followNames([this] { return labels_->namesShown(); });
    explorer_->followProjection([this] { return projection_; });
    explorer_->setDialogs(
        [this](const QString& title, const QString& filter, const QString& suffix, const QString& name) {
          return dialogs_.saveFileName(SaveFileRequest{title, filter, suffix, name});
        },
        [this](const QString& text) { dialogs_.error(text); });
    connect(explorer_, &ExplorerWindow::drawViewRequested, this, [this](const GridWindow& window, GeoPoint centre) {
      runGuarded([&, this] { drawViewMap(window, centre); });
    });
  }
  if (setup_->ready()) explorer_->setSource(tileGridOpener(state_));
  return explorer_;
}

void TMainForm::ExploreClick(QAction*) {
  if (!setup_->ready()) return;
  const MapGeometry* shown = readout_->shownMap().userMapGeometry();
  std::optional<GeoPoint> centre;
  double samplesPerPixel = 0;
  if (shown != nullptr) {
    centre = mapPointAt(*shown, QPointF(shown->width() / 2.0, shown->height() / 2.0));
    samplesPerPixel = shown->projection() != nullptr
                          ? shown->projection()->kilometresPerPixelAtCentre() * 1000 / kMetresPerDegree * kSamplesPerDegree
                          : double(shown->sampleStep()) / std::max(1, shown->zoom());
  }
  if (centre) {
    explorer()->showAt(*centre, samplesPerPixel);
  } else {
    explorer()->showPlanet();
  }
}

WindowDrawResult TMainForm::drawViewMap(const GridWindow& window, GeoPoint centre) {
  return drawWindowMap(window, kExploredView, "View of " + positionText(centre.latitude, centre.longitude),
                       "Explored view");
}

WindowDrawResult TMainForm::drawPlaceMap(int placeId, std::optional<int> step) {
  const NamedPlace* place = PlaceNames::builtIn().byId(placeId);
  if (place == nullptr) return WindowDrawResult::Refused;
  return drawWindowMap(placeWindow(*place, step), placeId, placeTitle(*place), place->name);
}

WindowDrawResult TMainForm::drawWindowMap(const GridWindow& window, int placeId, const std::string& title,
                                          const std::string& name) {
  if (drawing() || !setup_->ready()) return WindowDrawResult::Refused;
  // A refused draw leaves the map on screen with its own kind and names.
  const MapViewState shown = state_;
  state_.mapKind = 2;
  state_.placeId = placeId;
  state_.gridWindow = window;
  state_.mapTitle = title;
  state_.mapName = name;
  DrawPlan frame;
  frame.draw = [this] { return drawShownWindow(); };
  frame.drawn = [this] {
    // The location map shows the whole degrees around the frame.
    const GeoTransform t = MapGeometry::ofWindow(state_.gridWindow).transform();
    mapBounds_ = AreaBounds{static_cast<int>(std::floor(t.west)), static_cast<int>(std::ceil(t.north)),
                            static_cast<int>(std::ceil(t.west + state_.gridWindow.width * t.pixelWidth)),
                            static_cast<int>(std::floor(t.north - state_.gridWindow.height * t.pixelHeight))};
    for (int k = 0; k < kResolutionCount; ++k) menuItem(kResolutionItemBase + k)->setEnabled(true);
  };
  frame.record = DrawPlan::Record::Ending;
  frame.atShownStep = true;
  const DrawEnd end = draws_->settle(frame);
  if (end == DrawEnd::Refused) {
    state_.mapKind = shown.mapKind;
    state_.placeId = shown.placeId;
    state_.gridWindow = shown.gridWindow;
    state_.mapTitle = shown.mapTitle;
    state_.mapName = shown.mapName;
    return WindowDrawResult::Refused;
  }
  clearMapCheckMarks();
  setDrawingMenus(1);
  action(QStringLiteral("m_SaveMap"))->setEnabled(true);
  if (state_.locationShown == 1 && locationMap_ != nullptr) showMapLocation();
  return end == DrawEnd::Completed ? WindowDrawResult::Completed : WindowDrawResult::Stopped;
}

// ---------------------------------------------------------------------------
// Save Map

void TMainForm::m_SaveMapClick(QAction*) { BMPSave(mapSaveName(state_)); }

void TMainForm::m_SaveLegendClick(QAction*) {
  saveMapWithLegend(*dmap_, *readout_, state_, dialogs_, mapSaveName(state_), incompleteReason(), labels_);
}

QString TMainForm::incompleteReason() const {
  return fromStd(draws_->incompleteReason());
}

const QImage& TMainForm::userMap() const { return state_.annotatedShown == 1 ? keptMap_ : dmap_->picture(); }

// While the annotated tile map covers the user's map, the user's map is
// saved, placed where the readout knew it lay.
void TMainForm::BMPSave(const std::string& name) {
  std::vector<std::uint8_t> mask = state_.annotatedShown == 1 ? keptMask_ : dmap_->mask();
  const MapGeometry* geometry = readout_->shownMap().userMapGeometry();
  saveMap(dialogs_, labels_->labelled(userMap(), mask, geometry), mask, geometry, incompleteReason(), name);
}

// ---------------------------------------------------------------------------
// Scheme and mode

// The Scheme and Mode commands take the same steps, each on its own value,
// its own record of the last draw and its own group of items.
void TMainForm::chooseColouring(QAction* item, int& value, int drawn, int itemBase, int itemCount) {
  const int n = itemNumber(item);
  if (n < 0 || n >= itemCount) return;
  value = n;
  // Nothing to change when the map was drawn this way and the menu shows
  // it already.
  if (value == drawn && item->isChecked()) return;
  if (colourKey_ != nullptr) colourKey_->drawKeyStrip(state_.colourScheme);
  checkOnly(itemBase, itemCount, n);
  // During a draw the draw takes the colouring, and is repeated.
  if (draws_->colouringChosen()) return;
  redrawCurrentMap();
}

void TMainForm::SetColClick(QAction* item) {
  chooseColouring(item, state_.colourScheme, state_.drawnScheme, kSchemeItemBase, kSchemeCount);
}

void TMainForm::modeClick(QAction* item) {
  chooseColouring(item, state_.shadingMode, state_.drawnMode, kModeItemBase, kModeCount);
}

void TMainForm::m_reliefClick(QAction*) {
  state_.reliefShading = 1 - state_.reliefShading;
  action(QStringLiteral("m_relief"))->setChecked(state_.reliefShading == 1);
  rememberView(QStringLiteral("the relief shading"));
  if (draws_->colouringChosen()) return;
  // Before the first map there is nothing to redraw.
  if (menu(QStringLiteral("m_topo"))->menuAction()->isEnabled()) redrawCurrentMap();
}

// The names lie over the map on a layer of their own: nothing is redrawn.
void TMainForm::m_namesClick(QAction*) {
  labels_->setNamesShown(!labels_->namesShown());
  action(QStringLiteral("m_names"))->setChecked(labels_->namesShown());
  rememberView(QStringLiteral("the feature names"));
}

void TMainForm::m_projectionClick(QAction* item) {
  const auto chosen = std::find_if(kProjectionItems.begin(), kProjectionItems.end(), [item](const ProjectionItem& p) {
    return item != nullptr && item->objectName() == QLatin1String(p.name);
  });
  // The map being drawn keeps the projection it is drawn in.
  if (chosen == kProjectionItems.end() || drawing()) {
    showProjection();
    return;
  }
  // Chosen again, a projection says once more why it does not apply.
  projectionNoteShown_ = false;
  const bool changed = chosen->kind != projection_;
  projection_ = chosen->kind;
  showProjection();
  if (changed) rememberView(QStringLiteral("the projection"));
  // Before the first map there is nothing to redraw; a map the projection
  // does not change stays as it is.
  if (!menu(QStringLiteral("m_topo"))->menuAction()->isEnabled()) return;
  if (frameOfShownMap() == shownFrame_) return;
  // The map shown is drawn again, whole, in the projection chosen.
  state_.drawnResolution = -1;
  redrawCurrentMap();
}

void TMainForm::showProjection() {
  for (const ProjectionItem& item : kProjectionItems) {
    action(QString::fromLatin1(item.name))->setChecked(item.kind == projection_);
  }
}

void TMainForm::rememberView(const QString& what) {
  try {
    writeViewSettings(QFile::encodeName(viewSettingsFile()).toStdString(),
                      ViewSettings{state_.reliefShading, labels_->namesShown() ? 1 : 0, viewProjectionOf(projection_)});
  } catch (const WriteError& error) {
    if (!viewSettingsFailed_) {
      dialogs_.error(QStringLiteral("Tarvelon could not remember %1 for the next run:\n%2")
                         .arg(what, fromStd(displaySafe(error.what()))));
    }
    viewSettingsFailed_ = true;
  }
}

void TMainForm::m_kkClick(QAction*) {
  if (colourKey_ == nullptr) return;
  colourKey_->show();
  colourKey_->vkdraw();
  colourKey_->activateWindow();
}

void TMainForm::m_defineClick(QAction*) {
  if (stretch_ == nullptr) return;
  stretch_->show();
  stretch_->raise();
  stretch_->activateWindow();
}

// ---------------------------------------------------------------------------
// Help

void TMainForm::m_h000Click(QAction*) {
  if (aboutBox_ == nullptr) return;
  aboutBox_->show();
  aboutBox_->raise();
  aboutBox_->activateWindow();
}

void TMainForm::m_h001Click(QAction*) { showProgramHelp(help_, helpFilePlaces(), windowIcon(), dialogs_); }

void TMainForm::m_h003Click(QAction*) {
  QAction* item = action(QStringLiteral("m_h003"));
  if (drawing()) {
    // The picture belongs to the draw until it ends.
    item->setChecked(state_.annotatedShown == 1);
    return;
  }
  if (state_.annotatedShown == 1) {
    endAnnotatedView();
  } else {
    showAnnotatedMap();
  }
}

void TMainForm::showAnnotatedMap() {
  QAction* item = action(QStringLiteral("m_h003"));
  if (mars_.isNull()) {
    QString problem;
    mars_ = annotatedMapPicture(problem);
    if (mars_.isNull()) {
      item->setChecked(false);
      dialogs_.error(problem);
      return;
    }
  }
  keptMap_ = dmap_->picture();
  keptMask_ = dmap_->mask();
  keptImageSize_ = dmap_->size();
  keptPanelSize_ = dmap2_->size();
  state_.annotatedShown = 1;
  item->setChecked(true);
  screen_->sizeImage(kAnnotatedMapWidth, kAnnotatedMapHeight);
  readout_->follow(&ShownMap::cover);
  dmap_->showImage(mars_);
}

void TMainForm::endAnnotatedView() {
  if (state_.annotatedShown != 1) return;
  state_.annotatedShown = 0;
  action(QStringLiteral("m_h003"))->setChecked(false);
  dmap_->showImage(keptMap_, std::move(keptMask_));
  keptMask_.clear();
  readout_->follow(&ShownMap::uncover);
  dmap_->resize(keptImageSize_);
  dmap2_->resize(keptPanelSize_);
  layoutMapArea();
  keptMap_ = QImage();
}

void TMainForm::m_h005Click(QAction*) { dialogs_.information(QString::fromUtf8(kSourcingNote)); }

// ---------------------------------------------------------------------------
// Events during a draw

void TMainForm::processEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace tarvelon
