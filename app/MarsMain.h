// TMainForm, the main window: owner of the map view state, the menus and
// the commands that decide what is drawn and when; it shows the renderers'
// maps on screen.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "app/MainMenu.h"
#include "dem/TileNames.h"
#include "render/DrawHost.h"
#include "render/MapGeometry.h"
#include "render/MapViewState.h"
#include "windows/KeyMain.h"

class QFrame;
class QMenu;
class QScrollArea;

namespace tarvelon {

class DialogHost;
class FolderPanel;
class MapImage;

inline constexpr const char* kMainCaption = "Tarvelon - version 0.57";

class TMainForm : public QMainWindow, public DrawHost {
  Q_OBJECT

 public:
  // Creates the window (hidden) and brings the program up: first values,
  // the menus and their table, then the settings file or the first-run
  // folder panel. `startDir` is the folder the settings file lives in.
  TMainForm(const QString& startDir, DialogHost& dialogs, QWidget* parent = nullptr);
  ~TMainForm() override;

  // Start-up ended the program: the settings file named a data folder that
  // is gone. The window must not be shown.
  bool startUpEnded() const { return startUpEnded_; }

  // The windows created after the main window.
  void setColourKey(TVertKey* key) { colourKey_ = key; }

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
  QFrame* dmap2() const { return dmap2_; }
  // The folder panel, once a first run has created it.
  FolderPanel* findloc() const { return findloc_; }
  // MEGDRList: the names of the tile files in the folder last clicked on
  // the panel, one per tile found, in ascending order.
  const QStringList& megdrList() const { return megdrList_; }

  QString legendText() const;
  QString percentText() const;
  // Texts for the optimise-shading dialog's altmax and altmin labels.
  const QString& altmaxText() const { return altmaxText_; }
  const QString& altminText() const { return altminText_; }

  // True while a renderer runs.
  bool drawing() const { return drawing_; }
  // True once a data folder with sixteen tiles is in use.
  bool dataFolderReady() const { return folderReady_; }

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
  void DrawinbackgroundClick(QAction* item = nullptr);
  void m_terminateClick(QAction* item = nullptr);
  void m_endClick(QAction* item = nullptr);
  void SetColClick(QAction* item);
  void modeClick(QAction* item);
  void m_kkClick(QAction* item = nullptr);
  void Dir002Click(const QString& path);
  void setfolderClick();

  // Redraw the current map: the Resolution command of the current
  // resolution item, when that item is enabled.
  void redrawCurrentMap();
  bool redrawNeeded() const;
  // 1 enables, 0 disables the Resolution and Topography menus and
  // "Optimise Shading"; any other value does nothing.
  void setDrawingMenus(int flag);
  void clearMapCheckMarks();

  // Draws an area map (the feature commands and the custom area use it).
  // False when the area was refused or the draw stopped; nothing when a
  // draw is running already.
  bool drawAreaMap(int west, int north, int east, int south);

  // Runs `command` and turns any exception it throws into the general error
  // report; the program goes on.
  void runGuarded(const std::function<void()>& command);

  // DrawHost
  void processEvents() override;
  void setLegend(const std::string& text) override;
  void setPercent(const std::string& text) override;
  void sizeMap(int width, int height) override;
  void clearMap() override;
  void showRows(const Raster& raster, int firstRow, int endRow) override;
  void showRaster(const Raster& raster) override;
  void placeMap(const MapGeometry& geometry) override;
  void setBusy(bool busy) override;
  void setAltitudeLabels(const std::string& altmax, const std::string& altmin) override;
  void checkResolution(int resolutionIndex) override;
  void areaDrawCompleted() override;
  void inform(const std::string& text) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void chooseColouring(QAction* item, int& value, int drawn, int itemBase, int itemCount);
  enum class SettingsOutcome { Ok, FirstRun, Ended };
  struct DrawOutcome {
    bool refused = false;  // the renderer drew nothing (it told the user why)
    bool stopped = false;
    bool colouringChanged = false;
  };
  class DrawScope;

  void buildWindow();
  void buildMenus();
  void fillMenuItems();
  void runEntry(const MenuEntry& entry, QAction* action);
  void runShortcut(const QString& name);

  void load();
  SettingsOutcome readSettingsFile();
  bool prepareDataFolder();
  bool writeSettingsFile();
  void startFirstRun();
  void endProgram();
  void setPanelListing(TileListing listing);
  // A draw was stopped: the status says where, and the map counts as
  // incomplete.
  void reportStop();
  static QString shownPercent(const std::string& percent);

  DrawOutcome runRenderer(const std::function<bool()>& draw);
  void checkOnly(int base, int count, int number);
  int checkedNumber(int base, int count) const;
  void setStatusCaption(QAction* item, const std::string& text);
  void layoutMapArea();

  QString startDir_;
  DialogHost& dialogs_;
  MapViewState state_;
  std::array<QAction*, kMenuItemCount> menuItems_{};
  QHash<QString, QAction*> actions_;
  QHash<QString, QMenu*> menus_;
  QHash<QString, const MenuEntry*> entries_;
  QHash<QString, QString> shortcutNames_;  // portable key text -> component name

  QScrollArea* scroll_ = nullptr;
  QWidget* mapArea_ = nullptr;
  QFrame* dmap2_ = nullptr;
  MapImage* dmap_ = nullptr;
  // Where the map being drawn lies, and where the picture shown lies, for
  // Save Map's georeference.
  std::optional<MapGeometry> drawnGeometry_;
  std::optional<MapGeometry> shownGeometry_;
  FolderPanel* findloc_ = nullptr;
  QAction* legend_ = nullptr;
  QAction* prcent_ = nullptr;
  QPointer<TVertKey> colourKey_;

  QStringList megdrList_;
  TileListing panelListing_;  // the folder last clicked on the panel
  bool folderChosen_ = false;
  bool folderReady_ = false;
  bool startUpEnded_ = false;

  bool drawing_ = false;
  bool stopPressed_ = false;
  bool colouringChanged_ = false;
  bool closePending_ = false;
  std::string lastPercent_;  // the percentage shown last in this draw
  std::string stopPercent_;  // ... when Terminate was chosen
  // Why the map shown is incomplete (a stopped or failed draw), or empty.
  QString incompleteMap_;

  QString altmaxText_;
  QString altminText_;
};

}  // namespace tarvelon
