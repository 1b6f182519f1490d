// Every message box and file or folder dialog of the program goes through
// this interface, so that tests can read each message and answer each
// question.
#pragma once

#include <QString>
#include <optional>

namespace tarvelon {

// What the save dialog is set up with.
struct SaveFileRequest {
  QString title;
  QString filter;         // e.g. "BMP Image (*.bmp)"
  QString defaultSuffix;  // added to a typed name without one, e.g. "bmp"
  QString fileName;       // the name offered
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;

  // Information box with one OK button.
  virtual void information(const QString& text) = 0;
  // Error box with one OK button; also the general error report.
  virtual void error(const QString& text) = 0;
  // Plain message box with one OK button.
  virtual void message(const QString& text) = 0;
  // Warning with Yes and No; true for Yes.
  virtual bool question(const QString& text) = 0;
  // The save-file dialog; nothing when the user cancels. The dialog asks no
  // overwrite question of its own.
  virtual std::optional<QString> saveFileName(const SaveFileRequest& request) = 0;
};

}  // namespace tarvelon
