// Start-up and the data folder: the settings file read at start, the
// first-run folder panel that asks for the folder of the sixteen tiles,
// the checks on that folder, and the settings file written at the end.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>

#include "dem/TileNames.h"
#include "render/MapViewState.h"

class QWidget;

namespace tarvelon {

class DialogHost;
class FolderPanel;

// What the start-up steps need of the main window.
class DataFolderHost {
 public:
  virtual ~DataFolderHost() = default;
  // The Scheme and Mode menus check-mark the state's scheme and mode.
  virtual void showColouring() = 0;
  // The scheme the settings file keeps.
  virtual int schemeToKeep() const = 0;
  // The data folder is in use: the window is made ready for a first map.
  virtual void dataFolderOpened() = 0;
  // The folder panel was shown or hidden.
  virtual void panelChanged() = 0;
  // Runs a command of the panel as the menus run theirs.
  virtual void runCommand(const std::function<void()>& command) = 0;
};

class DataFolderSetup {
 public:
  // `startDir` holds the settings file; the panel, when a first run needs
  // it, is made in `panelParent` at `panelPlace`.
  DataFolderSetup(const QString& startDir, MapViewState& state, DialogHost& dialogs, DataFolderHost& window,
                  QWidget* panelParent, QPoint panelPlace);
  DataFolderSetup(const DataFolderSetup&) = delete;
  DataFolderSetup& operator=(const DataFolderSetup&) = delete;

  // Reads the settings file, or starts the first run when there is none.
  void start();

  QString settingsFile() const;
  // Start-up ended the program: the settings file named a data folder that
  // is gone.
  bool ended() const { return ended_; }
  // True once a data folder with sixteen tiles is in use.
  bool ready() const { return ready_; }
  FolderPanel* panel() const { return panel_; }
  // The names of the tile files in the folder last clicked on the panel.
  const QStringList& megdrList() const { return megdrList_; }

  // A folder was clicked on the panel (Dir002Click).
  void folderClicked(const QString& path);
  // "Confirm" was pressed (setfolderClick).
  void confirmClicked();
  // Writes the settings file; false, having told the user, when it cannot.
  bool writeSettingsFile();

 private:
  enum class SettingsOutcome { Ok, FirstRun, Ended };

  void load();
  SettingsOutcome readSettingsFile();
  bool prepareDataFolder();
  void startFirstRun();
  void setPanelListing(TileListing listing);
  // The folder clicked holds the sixteen tiles; if not, the user is told why.
  bool panelFolderComplete();

  QString startDir_;
  MapViewState& state_;
  DialogHost& dialogs_;
  DataFolderHost& window_;
  QWidget* panelParent_;
  QPoint panelPlace_;
  FolderPanel* panel_ = nullptr;

  QStringList megdrList_;
  TileListing panelListing_;  // the folder last clicked on the panel
  bool folderChosen_ = false;
  bool ready_ = false;
  bool ended_ = false;
};

}  // namespace tarvelon
