// The optimise-shading dialog TStretchColours: an upper and a lower
// altitude limit on two scroll bars, and three buttons that rebuild the
// sixteen altitude bands of the user colours and redraw the map.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include "render/MapViewState.h"
#include "windows/KeyMain.h"

class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;

namespace tarvelon {

// What the dialog needs from the main window.
class StretchHost {
 public:
  virtual ~StretchHost() = default;
  // The scheme 0..5 that "Default" returns to from the user colours.
  virtual int schemeAfterUserColours() const = 0;
  // Draws the current map by its kind, every time, without going through
  // the Resolution command (so the record of the last draw stays).
  virtual void redrawByMapKind() = 0;
};

class TStretchColours : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 389;
  static constexpr int kClientHeight = 215;
  // The outer size the dialog is placed by.
  static constexpr int kOuterWidth = 405;
  static constexpr int kOuterHeight = 254;

  // The limits' ranges and steps.
  static constexpr int kTopMinimum = -7700;
  static constexpr int kTopMaximum = 21250;
  static constexpr int kBottomMinimum = -8200;
  static constexpr int kBottomMaximum = 18000;
  static constexpr int kSmallStep = 50;
  static constexpr int kLargeStep = 500;
  // The lower limit stays more than this below the upper one.
  static constexpr int kLeastGap = 500;

  // Creation: placed by the main window's lower right corner, limits at
  // their first values. Hidden until shown.
  TStretchColours(MapViewState& state, StretchHost& host, QWidget* mainWindow);

  // The colour key, repainted and activated after the bands are rebuilt
  // while it is shown.
  void setColourKey(TVertKey* key) { colourKey_ = key; }

  void initLimits();
  // Change handlers of the two scroll bars: the limit that moved gives way
  // in steps of 50 m until the two are more than 500 m apart.
  void TopLimitChange();
  void BottomLimitChange();
  void OptButtonClick();
  void DefaultButtonClick();
  void UserButtonClick();
  // Bands from the two limit texts, `scheme` in force, key and map redrawn.
  void rebuildBands(int scheme);

  // The texts of the altmax and altmin labels.
  void setAltitudeLabels(const QString& altmax, const QString& altmin);

  QScrollBar* topLimit() const { return topLimit_; }
  QScrollBar* bottomLimit() const { return bottomLimit_; }
  QLabel* altitude0() const { return altitude0_; }
  QLabel* altitude1() const { return altitude1_; }
  QLabel* altmax() const { return altmax_; }
  QLabel* altmin() const { return altmin_; }
  QPushButton* optButton() const { return optButton_; }
  QPushButton* defaultButton() const { return defaultButton_; }
  QPushButton* userButton() const { return userButton_; }

 private:
  // Moves a bar to `position`, clamped to its range, without running its
  // handler; true when the position changed.
  static bool place(QScrollBar* bar, int position);

  MapViewState& state_;
  StretchHost& host_;
  QPointer<TVertKey> colourKey_;

  QFrame* panel_ = nullptr;
  QScrollBar* topLimit_ = nullptr;
  QScrollBar* bottomLimit_ = nullptr;
  QLabel* altitude0_ = nullptr;
  QLabel* altitude1_ = nullptr;
  QLabel* altmax_ = nullptr;
  QLabel* altmin_ = nullptr;
  QPushButton* optButton_ = nullptr;
  QPushButton* defaultButton_ = nullptr;
  QPushButton* userButton_ = nullptr;
};

}  // namespace tarvelon
