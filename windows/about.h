// The about box TProgDetails: the program's icon, name, version and date,
// the credit for the elevation data and a line on how the program was built.
#pragma once

#include <QDialog>
#include <QIcon>

class QFrame;
class QLabel;
class QPushButton;

namespace tarvelon {

inline constexpr const char* kProgramName = "Tarvelon";
inline constexpr const char* kVersionText = "version 0.57";
inline constexpr const char* kDateText = "July 26, 2020";
// The credit line, two lines of Label3.
inline constexpr const char* kCreditText =
    "Elevations: NASA's Mars Global Surveyor MOLA team,\n"
    "published by the Planetary Data System";

class TProgDetails : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 384;
  static constexpr int kClientHeight = 201;
  // The outer size the box is centred by.
  static constexpr int kOuterWidth = 400;
  static constexpr int kOuterHeight = 240;

  // Creates the box hidden, centred on the screen once and for all.
  explicit TProgDetails(const QIcon& icon);

  // The build line: the libraries and the compiler the program was built with.
  static QString buildLine();

  void FormCreate();
  void Button1Click();

  QLabel* image1() const { return image1_; }
  QLabel* progname() const { return progname_; }
  QLabel* version() const { return version_; }
  QLabel* date() const { return date_; }
  QLabel* label3() const { return label3_; }
  QLabel* dversion() const { return dversion_; }
  QPushButton* button1() const { return button1_; }

 private:
  QFrame* panel_ = nullptr;
  QLabel* image1_ = nullptr;
  QLabel* progname_ = nullptr;
  QLabel* version_ = nullptr;
  QLabel* date_ = nullptr;
  QLabel* label3_ = nullptr;
  QLabel* dversion_ = nullptr;
  QPushButton* button1_ = nullptr;
};

}  // namespace tarvelon
