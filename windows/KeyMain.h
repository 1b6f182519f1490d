// The colour key window: a strip of the current colouring from -8200 m to
// 21250 m with altitude labels every 2000 m.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include "render/MapViewState.h"

class QFrame;

namespace tarvelon {

// The strip image `kstrip`: keeps its 36 x 600 picture and repaints it
// itself, whether its window is shown or not.
class KeyStrip : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 36;
  static constexpr int kHeight = 600;

  explicit KeyStrip(QWidget* parent = nullptr);
  QImage& picture() { return picture_; }
  const QImage& picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

struct KeyLabel {
  int left;
  int top;
  const char* text;
};

// The fifteen labels, top down, at their window positions.
inline constexpr KeyLabel kKeyLabels[] = {
    {10, 32, "20 000 m ...."},  {10, 73, "18 000 m ...."}, {10, 114, "16 00 m ...."},  {10, 155, "14 000 m ...."},
    {10, 195, "12 000 m ...."}, {10, 236, "10 000 m ...."}, {14, 277, "8 000 m ...."},  {14, 318, "6 000 m ...."},
    {14, 358, "4 000 m ...."},  {14, 399, "2 000 m ...."},  {16, 440, "Zero m ...."},   {10, 481, "-2 000 m ...."},
    {10, 522, "-4 000 m ...."}, {10, 562, "-6 000 m ...."}, {10, 603, "-8 000 m ...."},
};

class TVertKey : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 124;
  static constexpr int kClientHeight = 632;
  static constexpr int kStripPanelLeft = 72;

  // The labels' font: 11 pixels high, narrow enough for the labels to end
  // before the strip.
  static QFont labelFont();

  // `state` gives the scheme, shading mode, bands and the colour result the
  // strip borrows; `mainWindow` the width the key is placed by.
  TVertKey(MapViewState& state, QWidget* mainWindow);

  // Activation: placed by the main window's right edge, labels, strip.
  void vkdraw();
  // Writes the fifteen labels.
  void drawKeyLabels();
  // Paints the strip with `scheme` and the current shading mode.
  void drawKeyStrip(int scheme);

  KeyStrip* strip() const { return strip_; }

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  MapViewState& state_;
  QPointer<QWidget> mainWindow_;
  QFrame* panel_ = nullptr;
  KeyStrip* strip_ = nullptr;  // kstrip
};

}  // namespace tarvelon
