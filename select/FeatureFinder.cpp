#include "select/FeatureFinder.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "select/Gazetteer.h"

namespace tarvelon {

namespace {

constexpr int kComponentRole = Qt::UserRole;

QString degrees(int value) { return QString::number(value) + QChar(0x00B0); }

QString areaText(const FeatureRow& row) {
  return QStringLiteral("long %1 to %2, lat %3 to %4")
      .arg(degrees(row.west), degrees(row.east), degrees(row.north), degrees(row.south));
}

// How well a caption matches what was typed: 0 it starts with it, 1 a word
// of it does, 2 it holds it somewhere, -1 not at all.
int matchRank(const QString& caption, const QString& typed) {
  if (typed.isEmpty()) return 0;
  const qsizetype at = caption.indexOf(typed, 0, Qt::CaseInsensitive);
  if (at < 0) return -1;
  if (at == 0) return 0;
  for (qsizetype from = 0; (from = caption.indexOf(typed, from, Qt::CaseInsensitive)) >= 0; ++from) {
    if (!caption[from - 1].isLetterOrNumber()) return 1;
  }
  return 2;
}

}  // namespace

FeatureFinder::FeatureFinder(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FindFeature"));
  setWindowTitle(QStringLiteral("Find a Feature"));
  setModal(false);
  resize(740, 440);

  auto* prompt = new QLabel(QStringLiteral("Type part of the name of a plain, crater, mountain, valley..."), this);
  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("featureName"));
  name_->setPlaceholderText(QStringLiteral("Feature name"));
  name_->setClearButtonEnabled(true);
  prompt->setBuddy(name_);

  list_ = new QTreeWidget(this);
  list_->setObjectName(QStringLiteral("featureList"));
  list_->setColumnCount(3);
  list_->setHeaderLabels({QStringLiteral("Feature"), QStringLiteral("Menu"), QStringLiteral("Area")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setFocusPolicy(Qt::NoFocus);
  int position = 0;
  for (const FeatureRow& row : featureRows()) {
    auto* item = new QTreeWidgetItem(list_, {QString::fromUtf8(row.caption), QString::fromUtf8(menuOf(row).caption),
                                             areaText(row)});
    item->setData(0, kComponentRole, QString::fromLatin1(row.component));
    item->setData(1, kComponentRole, position++);  // menu order
  }
  for (int c = 0; c < 3; ++c) list_->resizeColumnToContents(c);
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
  connect(list_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    list_->setCurrentItem(item);
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
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list_->topLevelItem(i);
    if (!item->isHidden()) names << item->data(0, kComponentRole).toString();
  }
  return names;
}

void FeatureFinder::filter(const QString& typed) {
  const QString text = typed.simplified();
  // Best matches first, menu order within a rank; rows that do not match
  // are hidden.
  std::vector<std::pair<int, QTreeWidgetItem*>> shown;
  std::vector<QTreeWidgetItem*> all;
  while (list_->topLevelItemCount() > 0) all.push_back(list_->takeTopLevelItem(0));
  std::stable_sort(all.begin(), all.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    return a->data(1, kComponentRole).toInt() < b->data(1, kComponentRole).toInt();
  });
  for (QTreeWidgetItem* item : all) {
    const int rank = matchRank(item->text(0), text);
    shown.emplace_back(rank < 0 ? 3 : rank, item);
  }
  std::stable_sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [rank, item] : shown) {
    list_->addTopLevelItem(item);
    item->setHidden(rank == 3);
  }
  // Nothing matches: the closest spellings instead.
  if (listed().isEmpty() && !text.isEmpty()) {
    for (const std::string& caption : closestCaptions(text.toStdString())) {
      for (QTreeWidgetItem* item : list_->findItems(QString::fromStdString(caption), Qt::MatchExactly, 0)) {
        item->setHidden(false);
      }
    }
  }
  QTreeWidgetItem* first = nullptr;
  for (int i = 0; i < list_->topLevelItemCount() && first == nullptr; ++i) {
    if (!list_->topLevelItem(i)->isHidden()) first = list_->topLevelItem(i);
  }
  list_->setCurrentItem(first);
  if (first != nullptr) list_->scrollToItem(first);
}

void FeatureFinder::chooseCurrent() {
  QTreeWidgetItem* item = list_->currentItem();
  if (item == nullptr || item->isHidden()) return;
  const QString component = item->data(0, kComponentRole).toString();
  hide();
  emit featureChosen(component);
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
