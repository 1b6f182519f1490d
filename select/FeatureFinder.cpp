#include "select/FeatureFinder.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>
#include <cmath>

#include "select/Gazetteer.h"

namespace tarvelon {

namespace {

QString degrees(int value) { return QString::number(value) + QChar(0x00B0); }

QString areaText(const FeatureRow& row) {
  return QStringLiteral("long %1 to %2, lat %3 to %4")
      .arg(degrees(row.west), degrees(row.east), degrees(row.north), degrees(row.south));
}

// "5.37°S 137.81°E", as the status bar gives a point.
QString centreText(const NamedPlace& place) {
  const auto part = [](double value, char positive, char negative) {
    return QString::number(std::abs(value), 'f', 2) + QChar(0x00B0) + QLatin1Char(value < 0 ? negative : positive);
  };
  return part(place.latitude, 'N', 'S') + QLatin1Char(' ') + part(place.longitude, 'E', 'W');
}

}  // namespace

FoundNamesModel::FoundNamesModel(QObject* parent) : QAbstractTableModel(parent) {}

void FoundNamesModel::setFound(std::vector<NameMatch> found) {
  beginResetModel();
  found_ = std::move(found);
  endResetModel();
}

const NameMatch* FoundNamesModel::matchAt(int row) const {
  if (row < 0 || row >= static_cast<int>(found_.size())) return nullptr;
  return &found_[static_cast<std::size_t>(row)];
}

int FoundNamesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(found_.size());
}

int FoundNamesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FoundNamesModel::data(const QModelIndex& index, int role) const {
  const NameMatch* match = matchAt(index.row());
  if (match == nullptr || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
  switch (index.column()) {
    case Feature:
      return QString::fromUtf8(match->name.data(), static_cast<qsizetype>(match->name.size()));
    case What:
      return match->isPlace() ? QString::fromStdString(placeDescription(*match->place))
                              : QString::fromUtf8(menuOf(*match->feature).caption);
    case Where:
      return match->isPlace() ? centreText(*match->place) : areaText(*match->feature);
    case List:
      return match->isPlace() ? QStringLiteral("IAU names") : QStringLiteral("Map Area menu");
    default:
      return {};
  }
}

QVariant FoundNamesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case Feature: return QStringLiteral("Feature");
    case What: return QStringLiteral("What");
    case Where: return QStringLiteral("Where");
    case List: return QStringLiteral("List");
    default: return {};
  }
}

FeatureFinder::FeatureFinder(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FindFeature"));
  setWindowTitle(QStringLiteral("Find a Feature"));
  setModal(false);
  resize(860, 440);

  auto* prompt = new QLabel(QStringLiteral("Type part of the name of a plain, crater, mountain, valley..."), this);
  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("featureName"));
  name_->setPlaceholderText(QStringLiteral("Feature name"));
  name_->setClearButtonEnabled(true);
  prompt->setBuddy(name_);

  found_ = new FoundNamesModel(this);
  list_ = new QTreeView(this);
  list_->setObjectName(QStringLiteral("featureList"));
  list_->setModel(found_);
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  // Every row the same height: the view then never asks the model for
  // rows it does not show.
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setFocusPolicy(Qt::NoFocus);
  // Fixed widths, from the font: sizing to the contents would read every
  // row of every search.
  const QFontMetrics metrics = list_->fontMetrics();
  list_->header()->resizeSection(FoundNamesModel::Feature, metrics.horizontalAdvance(QStringLiteral("M")) * 18);
  list_->header()->resizeSection(FoundNamesModel::What, metrics.horizontalAdvance(QStringLiteral("M")) * 16);
  list_->header()->resizeSection(FoundNamesModel::Where,
                                 metrics.horizontalAdvance(QStringLiteral("long -180° to -180°, lat -90° to -90°")) + 12);
  list_->header()->setStretchLastSection(true);

  auto* hint = new QLabel(QStringLiteral("Enter draws the feature chosen; the arrow keys choose."), this);
  hint->setEnabled(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt);
  layout->addWidget(name_);
  layout->addWidget(list_, 1);
  layout->addWidget(hint);

  name_->installEventFilter(this);
  connect(name_, &QLineEdit::textChanged, this, &FeatureFinder::filter);
  connect(name_, &QLineEdit::returnPressed, this, &FeatureFinder::chooseCurrent);
  connect(list_, &QTreeView::activated, this, [this](const QModelIndex& index) {
    list_->setCurrentIndex(index);
    chooseCurrent();
  });
  filter(QString());
}

void FeatureFinder::showFinder() {
  show();
  raise();
  activateWindow();
  name_->setFocus(Qt::OtherFocusReason);
  name_->selectAll();
}

QStringList FeatureFinder::listed() const {
  QStringList names;
  for (int row = 0; row < found_->rowCount(); ++row) {
    const NameMatch* match = found_->matchAt(row);
    names << (match->isPlace() ? QStringLiteral("iau:%1").arg(match->place->id)
                               : QString::fromLatin1(match->feature->component));
  }
  return names;
}

void FeatureFinder::filter(const QString& typed) {
  found_->setFound(search_.find(typed.toStdString()));
  if (found_->rowCount() == 0) return;
  const QModelIndex first = found_->index(0, 0);
  list_->setCurrentIndex(first);
  list_->scrollTo(first);
}

void FeatureFinder::chooseCurrent() {
  const NameMatch* match = found_->matchAt(list_->currentIndex().row());
  if (match == nullptr) return;
  hide();
  if (match->isPlace()) {
    emit placeChosen(match->place->id);
  } else {
    emit featureChosen(QString::fromLatin1(match->feature->component));
  }
}

bool FeatureFinder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == name_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
      // The arrows move through the list while the typing goes on.
      QKeyEvent copy(QEvent::KeyPress, key, Qt::NoModifier);
      QCoreApplication::sendEvent(list_, &copy);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tarvelon
