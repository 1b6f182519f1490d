// The elevation profile window: the plot of a profile (ProfilePicture),
// which follows the mouse with a marker and says where it is, the figures
// of the profile below it, and its export as CSV or as a PNG picture.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "dem/ElevationProfile.h"

class QLabel;
class QPushButton;

namespace tarvelon {

class ProfilePlot;

class ProfileWindow : public QWidget {
  Q_OBJECT

 public:
  // Save-file dialog and error box, given by the main window's wiring (its
  // DialogHost); tests set their own. Without them the window asks Qt's own.
  using ChooseFile = std::function<std::optional<QString>(const QString& title, const QString& filter,
                                                          const QString& suffix, const QString& fileName)>;
  using ReportError = std::function<void(const QString& text)>;

  explicit ProfileWindow(QWidget* parent = nullptr);
  void setDialogs(ChooseFile choose, ReportError report);

  // Shows `profile` (and raises the window); the figures below the plot
  // are brought up to date.
  void showProfile(ElevationProfile profile);
  const ElevationProfile& profile() const { return profile_; }

  // The figures shown, for tests: length, climb, descent, steepest slope,
  // highest, lowest (as on screen).
  QString figuresText() const;
  // What is said of the point under the mouse.
  QString markText() const;

  // Write the profile whole or not at all; false, and the error reported,
  // when it cannot be written.
  bool exportCsv(const QString& path);
  bool exportPng(const QString& path);

 signals:
  // The mouse moved along the plot: the point of the line under it;
  // nothing when it left the plot.
  void pointMarked(std::optional<tarvelon::GeoPoint> point);

 private:
  void marked(std::optional<std::size_t> index);
  void chooseAndExport(bool png);
  void report(const QString& text);

  ElevationProfile profile_;
  ChooseFile choose_;
  ReportError report_;
  ProfilePlot* plot_ = nullptr;
  QLabel* mark_ = nullptr;
  QLabel* figures_ = nullptr;
  QPushButton* exportCsv_ = nullptr;
  QPushButton* exportPng_ = nullptr;
};

}  // namespace tarvelon
