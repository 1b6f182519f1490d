#include "app/QtDialogHost.h"

#include <QFileDialog>
#include <QMessageBox>

namespace tarvelon {

namespace {

void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
  QMessageBox box(icon, title, QString(), QMessageBox::Ok, parent);
  // Paths and names in a message are the user's: never read as markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  box.exec();
}

}  // namespace

void QtDialogHost::information(const QString& text) {
  showBox(parent_, QMessageBox::Information, QStringLiteral("Information"), text);
}

void QtDialogHost::error(const QString& text) { showBox(parent_, QMessageBox::Critical, QStringLiteral("Error"), text); }

void QtDialogHost::message(const QString& text) {
  showBox(parent_, QMessageBox::NoIcon, QStringLiteral("Tarvelon"), text);
}

bool QtDialogHost::question(const QString& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), QString(), QMessageBox::Yes | QMessageBox::No,
                  parent_);
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogHost::saveFileName(const SaveFileRequest& request) {
  QFileDialog dialog(parent_, request.title);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(request.filter);
  dialog.setDefaultSuffix(request.defaultSuffix);
  // With several filters, a name typed without an extension takes that of
  // the filter chosen: "PNG Image (*.png)" gives "png".
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    const qsizetype star = filter.indexOf(QStringLiteral("*."));
    if (star < 0) return;
    qsizetype end = star + 2;
    while (end < filter.size() && filter[end].isLetterOrNumber()) ++end;
    dialog.setDefaultSuffix(filter.mid(star + 2, end - star - 2));
  });
  // The caller asks its own overwrite question.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return files.front();
}

}  // namespace tarvelon
