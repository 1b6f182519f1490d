// The custom area panel `GetArea`: centre longitude, centre latitude, width
// and height, checked as they are typed; "Draw" asks for the rectangle.
#pragma once

#include <QFrame>
#include <QString>

#include "select/CustomArea.h"

class QLineEdit;
class QPushButton;

namespace tarvelon {

class CustomAreaPanel : public QFrame {
  Q_OBJECT

 public:
  static constexpr int kWidth = 258;
  static constexpr int kHeight = 200;

  explicit CustomAreaPanel(QWidget* parent = nullptr);

  // Shows the panel on top of its siblings with the keyboard focus in the
  // longitude edit.
  void showPanel();

  // Both halves back to 2, as when the data folder is loaded.
  void resetHalves() {
    entry_.halfWidth = CustomAreaEntry{}.halfWidth;
    entry_.halfHeight = CustomAreaEntry{}.halfHeight;
  }
  const CustomAreaEntry& entry() const { return entry_; }

  QLineEdit* longw() const { return longw_; }
  QLineEdit* latn() const { return latn_; }
  QLineEdit* longwid() const { return longwid_; }
  QLineEdit* lathgt() const { return lathgt_; }
  QPushButton* okbox() const { return okbox_; }
  QPushButton* button1() const { return button1_; }

  // The edits' change handlers, run on every change of their text.
  void longwChange();
  void latnChange();
  void longwidChange();
  void lathgtChange();
  // "Draw" and "Quit".
  void okboxClick();
  void Button1Click();

 signals:
  // An information box with one OK button.
  void information(const QString& text);
  // The general error report.
  void error(const QString& text);
  // "Draw" with four usable values; the panel has hidden itself.
  void drawRequested(int west, int north, int east, int south);

 private:
  void apply(QLineEdit* edit, const EditOutcome& outcome);

  CustomAreaEntry entry_;
  QLineEdit* longw_ = nullptr;
  QLineEdit* latn_ = nullptr;
  QLineEdit* longwid_ = nullptr;
  QLineEdit* lathgt_ = nullptr;
  QPushButton* okbox_ = nullptr;
  QPushButton* button1_ = nullptr;
  bool handling_ = false;  // a handler is writing an edit's text
};

}  // namespace tarvelon
