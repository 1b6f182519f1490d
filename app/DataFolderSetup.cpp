#include "app/DataFolderSetup.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "app/DialogHost.h"
#include "app/FolderPanel.h"
#include "core/Settings.h"
#include "core/AtomicFile.h"
#include "core/MessageText.h"

namespace tarvelon {

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

// File names are bytes in the locale's encoding, not always UTF-8: a
// folder whose name is not UTF-8 must reach the file system as it is.
std::string localName(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString joinedLines(const std::vector<std::string>& lines) {
  QString text;
  for (const std::string& line : lines) text += QLatin1Char('\n') + fromStd(line);
  return text;
}

}  // namespace

DataFolderSetup::DataFolderSetup(const QString& startDir, MapViewState& state, DialogHost& dialogs,
                                 DataFolderHost& window, QWidget* panelParent, QPoint panelPlace)
    : startDir_(startDir),
      state_(state),
      dialogs_(dialogs),
      window_(window),
      panelParent_(panelParent),
      panelPlace_(panelPlace) {}

void DataFolderSetup::start() {
  if (QFileInfo::exists(settingsFile())) {
    load();
  } else {
    startFirstRun();
  }
}

QString DataFolderSetup::settingsFile() const {
  return QFile::decodeName(QByteArray::fromStdString(settingsPath(localName(startDir_))));
}


void DataFolderSetup::load() {
  switch (readSettingsFile()) {
    case SettingsOutcome::Ended:
      return;
    case SettingsOutcome::FirstRun:
      startFirstRun();
      return;
    case SettingsOutcome::Ok:
      break;
  }
  prepareDataFolder();
}

DataFolderSetup::SettingsOutcome DataFolderSetup::readSettingsFile() {
  const SettingsRead read = readSettings(localName(settingsFile()));
  if (read.status == SettingsRead::Status::Missing) return SettingsOutcome::FirstRun;
  if (read.status == SettingsRead::Status::Unusable) {
    dialogs_.error(fromStd(read.problem) +
                   QStringLiteral("\n\nTarvelon will ask for the folder of the MEGDR128 files again."));
    return SettingsOutcome::FirstRun;
  }
  state_.demFolder = read.settings.demFolder;
  state_.colourScheme = read.settings.colourScheme;
  state_.shadingMode = read.settings.shadingMode;
  std::error_code notThere;
  if (!std::filesystem::is_directory(state_.demFolder, notThere)) {
    dialogs_.error(QStringLiteral("It appears that the location of the\n"
                                  "MOLA MEGDR128 files has changed\n"
                                  "(%1)\n"
                                  "\n"
                                  "Restart Tarvelon\n"
                                  "to redefine this folder")
                       .arg(fromStd(quote(state_.demFolder))));
    const std::string path = localName(settingsFile());
    std::error_code removeError;
    std::filesystem::remove(path, removeError);
    std::error_code ignored;
    if (!removeError || !std::filesystem::exists(path, ignored)) {
      // Start-up goes no further; the program does not show the window.
      ended_ = true;
      return SettingsOutcome::Ended;
    }
    // Ending now would bring the same box back at every start.
    dialogs_.error(fromStd("The settings file " + quote(path) + " could not be deleted (" + removeError.message() +
                           "), so it cannot be replaced either.\n\nChoose the folder of the MEGDR128 files now; "
                           "Tarvelon uses it for this run only."));
    state_.demFolder.clear();
    window_.showColouring();
    return SettingsOutcome::FirstRun;
  }
  window_.showColouring();
  return SettingsOutcome::Ok;
}

bool DataFolderSetup::prepareDataFolder() {
  const TileListing listing = listTileFolder(state_.demFolder);
  const QString folder = fromStd(quote(state_.demFolder));
  if (!listing.readable || !listing.complete()) {
    ready_ = false;
    const QString problem =
        !listing.readable
            ? QStringLiteral("The data folder %1 cannot be read: %2.").arg(folder, fromStd(listing.problem))
            : QStringLiteral("The folder %1 holds %2 of the 16 MEGDR128 files Tarvelon needs.").arg(folder).arg(
                  listing.found()) +
                  joinedLines(listingNotes(listing));
    dialogs_.error(problem + QStringLiteral("\n\nPlease choose the folder of the MEGDR128 files again."));
    startFirstRun();
    return false;
  }
  state_.tileNames = listing.tiles;
  const auto notes = listingNotes(listing);
  if (!notes.empty()) dialogs_.information(QStringLiteral("In the data folder %1:").arg(folder) + joinedLines(notes));
  ready_ = true;
  window_.dataFolderOpened();
  return true;
}

bool DataFolderSetup::writeSettingsFile() {
  Settings settings;
  settings.demFolder = state_.demFolder;
  settings.colourScheme = window_.schemeToKeep();
  settings.shadingMode = state_.shadingMode;
  try {
    writeSettings(localName(settingsFile()), settings);
    return true;
  } catch (const WriteError& error) {
    dialogs_.error(QStringLiteral("Tarvelon could not save its settings:\n%1").arg(fromStd(displaySafe(error.what()))));
    return false;
  }
}

void DataFolderSetup::startFirstRun() {
  ready_ = false;
  dialogs_.information(QStringLiteral("You must now define the default Folder\n"
                                      "where Tarvelon can\n"
                                      "locate the 16 MOLA MEGDR128 files that\n"
                                      "it requires to create maps of Mars."));
  if (panel_ == nullptr) {
    panel_ = new FolderPanel(startDir_, panelParent_);
    panel_->move(panelPlace_);
    QObject::connect(panel_, &FolderPanel::folderClicked, panel_,
                     [this](const QString& path) { window_.runCommand([this, path] { folderClicked(path); }); });
    QObject::connect(panel_, &FolderPanel::confirmClicked, panel_,
                     [this] { window_.runCommand([this] { confirmClicked(); }); });
  }
  folderChosen_ = false;
  panelListing_ = TileListing{};
  megdrList_.clear();
  panel_->show();
  panel_->raise();
  window_.panelChanged();
}

void DataFolderSetup::setPanelListing(TileListing listing) {
  panelListing_ = std::move(listing);
  megdrList_.clear();
  for (const std::string& name : panelListing_.tileFiles()) megdrList_ << fromStd(name);
}

void DataFolderSetup::folderClicked(const QString& path) {
  state_.demFolder = localName(path);
  folderChosen_ = true;
  setPanelListing(listTileFolder(state_.demFolder));
}

void DataFolderSetup::confirmClicked() {
  if (!folderChosen_) {
    dialogs_.message(QStringLiteral("Please click the folder that holds the 16 MEGDR128 files first."));
    return;
  }
  if (!panelFolderComplete()) return;
  if (!megdrList_.front().contains(QStringLiteral("megt"), Qt::CaseSensitive)) {
    dialogs_.information(QStringLiteral("The folder selected does not contain MOLA DEM files\n\nPlease try again."));
    return;
  }
  // The folder is listed afresh: its files may have changed since the click.
  setPanelListing(listTileFolder(state_.demFolder));
  if (!panelFolderComplete()) return;
  const bool written = writeSettingsFile();
  if (written) {
    dialogs_.message(QStringLiteral("Congratulations\n\nYou have successfully initialised\nyour MEGDR128 Data Folder."));
  }
  panel_->hide();
  window_.panelChanged();
  if (written) {
    load();
  } else {
    // The folder is used for this run; the next start asks again.
    prepareDataFolder();
  }
}

bool DataFolderSetup::panelFolderComplete() {
  if (!panelListing_.readable) {
    dialogs_.error(QStringLiteral("The folder %1 cannot be read: %2.")
                       .arg(fromStd(quote(state_.demFolder)), fromStd(panelListing_.problem)));
    return false;
  }
  const auto n = megdrList_.size();
  if (n == 0 && panelListing_.matching.empty() && panelListing_.odd.empty()) {
    dialogs_.message(QStringLiteral("Empty Folder!"));
    return false;
  }
  if (n < 16) {
    dialogs_.message(QString::number(16 - n) + QStringLiteral(" of the 16 required DEM Files are missing!") +
                     joinedLines(listingNotes(panelListing_)));
    return false;
  }
  return true;
}

}  // namespace tarvelon
