// "Find a Feature...": type part of a feature's name, pick it from the
// list, press Enter. Searches every family, so the user need not know
// which submenu a feature is in.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLineEdit;
class QTreeWidget;

namespace tarvelon {

class FeatureFinder : public QDialog {
  Q_OBJECT

 public:
  explicit FeatureFinder(QWidget* parent = nullptr);

  // Shows the finder with its text selected, ready for typing.
  void showFinder();

  QLineEdit* nameEdit() const { return name_; }
  QTreeWidget* list() const { return list_; }
  // Component names of the rows listed, top to bottom.
  QStringList listed() const;

  // Draws the current row of the list, if any (what Enter does).
  void chooseCurrent();

 signals:
  // The component name of the feature chosen; the finder has hidden itself.
  void featureChosen(const QString& component);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void filter(const QString& text);

  QLineEdit* name_ = nullptr;
  QTreeWidget* list_ = nullptr;
};

}  // namespace tarvelon
