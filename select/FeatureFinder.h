// "Find a Feature...": type part of a name, pick it from the list, press
// Enter. Searches the features of every Map Area submenu and the IAU names
// of Mars together, so the user need not know which submenu, or which
// list, a feature is in.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

#include "select/NameSearch.h"

class QLineEdit;
class QTreeView;

namespace tarvelon {

// The rows found for the text typed, as a table: Feature, What (the menu
// of a menu feature, the kind and size of an IAU name), Where (a menu
// feature's area, an IAU name's centre) and List. Texts are made only for
// the rows a view asks for, so a new search costs no more than the search.
class FoundNamesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Feature, What, Where, List, ColumnCount };

  explicit FoundNamesModel(QObject* parent = nullptr);

  void setFound(std::vector<NameMatch> found);
  const NameMatch* matchAt(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<NameMatch> found_;
};

class FeatureFinder : public QDialog {
  Q_OBJECT

 public:
  explicit FeatureFinder(QWidget* parent = nullptr);

  // Shows the finder with its text selected, ready for typing.
  void showFinder();

  QLineEdit* nameEdit() const { return name_; }
  QTreeView* list() const { return list_; }
  // The rows listed, top to bottom: a menu feature's component name,
  // "iau:<feature_id>" for an IAU name.
  QStringList listed() const;

  // Draws the current row of the list, if any (what Enter does).
  void chooseCurrent();

 signals:
  // The component name of the menu feature chosen; the finder has hidden
  // itself.
  void featureChosen(const QString& component);
  // The feature_id of the IAU name chosen; the finder has hidden itself.
  void placeChosen(int placeId);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void filter(const QString& text);

  NameSearch search_;
  FoundNamesModel* found_ = nullptr;
  QLineEdit* name_ = nullptr;
  QTreeView* list_ = nullptr;
};

}  // namespace tarvelon
