#include "app/FolderPanel.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QEvent>
#include <QStorageInfo>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace tarvelon {

namespace {

// The root folders of the mounted volumes worth offering: real file systems
// and whatever holds the start folder, sorted, "/" first.
QStringList volumeRoots(const QString& startFolder) {
  QStringList roots{QStringLiteral("/")};
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    const QByteArray type = volume.fileSystemType();
    if (type == "proc" || type == "sysfs" || type == "devpts" || type == "cgroup" || type == "cgroup2" ||
        type == "tmpfs" || type == "devtmpfs" || type == "overlay" || type == "squashfs") {
      continue;
    }
    if (!roots.contains(volume.rootPath())) roots << volume.rootPath();
  }
  const QString startRoot = QStorageInfo(startFolder).rootPath();
  if (!startRoot.isEmpty() && !roots.contains(startRoot)) roots << startRoot;
  std::sort(roots.begin() + 1, roots.end());
  return roots;
}

}  // namespace

FolderPanel::FolderPanel(const QString& startFolder, QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("findloc"));
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(2);
  setAutoFillBackground(true);
  setFixedSize(kWidth, kHeight);

  auto* heading = new QLabel(QStringLiteral("Create a Configuration File"), this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  heading->setAlignment(Qt::AlignCenter);

  auto* instruction = new QLabel(QStringLiteral("Select the folder containing the MEGDR128 DEM files"), this);
  instruction->setWordWrap(true);
  instruction->setAlignment(Qt::AlignCenter);
  QPalette red = instruction->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  instruction->setPalette(red);

  drives_ = new QComboBox(this);
  drives_->setObjectName(QStringLiteral("Drive002"));
  const QString start = QDir(startFolder).absolutePath();
  drives_->addItems(volumeRoots(start));

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  model_->setReadOnly(true);
  model_->setRootPath(QStringLiteral("/"));

  folders_ = new QTreeView(this);
  folders_->setObjectName(QStringLiteral("Dir002"));
  folders_->setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) folders_->hideColumn(column);
  folders_->header()->hide();
  folders_->setHeaderHidden(true);

  confirm_ = new QPushButton(QStringLiteral("Confirm"), this);
  confirm_->setObjectName(QStringLiteral("setfolder"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(heading);
  layout->addWidget(instruction);
  layout->addWidget(drives_);
  layout->addWidget(folders_, 1);
  layout->addWidget(confirm_, 0, Qt::AlignHCenter);

  const QString startRoot = QStorageInfo(start).rootPath();
  const int startDrive = drives_->findText(startRoot.isEmpty() ? QStringLiteral("/") : startRoot);
  drives_->setCurrentIndex(startDrive < 0 ? 0 : startDrive);
  showDrive(drives_->currentText());
  // The list opens at the start folder, not yet chosen; its parents are
  // listed in the background, so the list scrolls to it again as each of
  // them arrives.
  showFolder(start);
  auto follow = [this] {
    if (scrollTarget_.isEmpty()) return;
    QTimer::singleShot(0, this, [this] {
      if (!scrollTarget_.isEmpty()) {
        folders_->scrollTo(model_->index(scrollTarget_), QAbstractItemView::PositionAtCenter);
      }
    });
  };
  connect(model_, &QFileSystemModel::rowsInserted, this, follow);
  connect(model_, &QFileSystemModel::layoutChanged, this, follow);

  // Once the user takes the list in hand, it no longer follows the start
  // folder.
  folders_->viewport()->installEventFilter(this);
  folders_->installEventFilter(this);
  connect(folders_->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { scrollTarget_.clear(); });
  connect(drives_, &QComboBox::currentTextChanged, this, [this](const QString& root) {
    scrollTarget_.clear();
    showDrive(root);
  });
  connect(folders_, &QTreeView::clicked, this,
          [this](const QModelIndex& index) { emit folderClicked(QDir::cleanPath(model_->filePath(index))); });
  connect(confirm_, &QPushButton::clicked, this, &FolderPanel::confirmClicked);
}

bool FolderPanel::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
      scrollTarget_.clear();
      break;
    default:
      break;
  }
  return QFrame::eventFilter(watched, event);
}

void FolderPanel::showDrive(const QString& root) {
  folders_->setRootIndex(model_->index(root));
}

void FolderPanel::showFolder(const QString& path) {
  const QModelIndex index = model_->index(path);
  if (!index.isValid()) return;
  scrollTarget_ = path;
  // The list follows its current entry as it fills; the entry is not
  // selected, so nothing looks chosen before the user clicks.
  folders_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  folders_->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void FolderPanel::chooseFolder(const QString& path) {
  showFolder(path);
  const QModelIndex index = model_->index(path);
  if (index.isValid()) folders_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  emit folderClicked(QDir::cleanPath(path));
}

void FolderPanel::confirm() { confirm_->click(); }

}  // namespace tarvelon
