// The folder panel `findloc`: asks on a first run for the folder that holds
// the sixteen tile files.
#pragma once

#include <QFrame>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace tarvelon {

class FolderPanel : public QFrame {
  Q_OBJECT

 public:
  static constexpr int kWidth = 247;
  static constexpr int kHeight = 425;

  // The folder list starts at `startFolder`.
  explicit FolderPanel(const QString& startFolder, QWidget* parent = nullptr);

  // Chooses a folder as a click on it in the folder list does.
  void chooseFolder(const QString& path);
  // Presses "Confirm".
  void confirm();

  QPushButton* confirmButton() const { return confirm_; }
  QTreeView* folderList() const { return folders_; }
  QComboBox* drivePicker() const { return drives_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  void folderClicked(const QString& path);  // Dir002Click
  void confirmClicked();                     // setfolderClick

 private:
  void showDrive(const QString& root);
  // Scrolls the folder list to `path`, opening its parents.
  void showFolder(const QString& path);

  QComboBox* drives_ = nullptr;     // Drive002
  QTreeView* folders_ = nullptr;    // Dir002
  QFileSystemModel* model_ = nullptr;
  QPushButton* confirm_ = nullptr;  // setfolder
  QString scrollTarget_;
};

}  // namespace tarvelon
