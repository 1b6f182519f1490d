// The dialog interface with Qt's message boxes and file dialog.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/DialogHost.h"

namespace tarvelon {

class QtDialogHost : public DialogHost {
 public:
  // Boxes are modal to `parent` once it is set (before that, to the
  // application).
  void setParent(QWidget* parent) { parent_ = parent; }

  void information(const QString& text) override;
  void error(const QString& text) override;
  void message(const QString& text) override;
  bool question(const QString& text) override;
  std::optional<QString> saveFileName(const SaveFileRequest& request) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace tarvelon
