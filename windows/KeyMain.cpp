#include "windows/KeyMain.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QPaintEvent>
#include <QPainter>

#include "render/ColourFunction.h"
#include "render/Rounding.h"

namespace tarvelon {

KeyStrip::KeyStrip(QWidget* parent) : QWidget(parent), picture_(kWidth, kHeight, QImage::Format_RGB32) {
  setObjectName(QStringLiteral("kstrip"));
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
  picture_.fill(Qt::white);
}

void KeyStrip::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect().topLeft(), picture_, event->rect());
}

QFont TVertKey::labelFont() {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans Narrow"),
                    QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed"),
                    QStringLiteral("Sans Serif")});
  font.setPixelSize(11);
  // Where the font that stands in is wider, it is made smaller until every
  // label ends before the strip.
  for (int size = 11; size >= 7; --size) {
    font.setPixelSize(size);
    const QFontMetrics metrics(font);
    bool fits = true;
    for (const KeyLabel& label : kKeyLabels) {
      if (label.left + metrics.horizontalAdvance(QString::fromLatin1(label.text)) > kStripPanelLeft - 1) fits = false;
    }
    if (fits) break;
  }
  return font;
}

TVertKey::TVertKey(MapViewState& state, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint),
      state_(state),
      mainWindow_(mainWindow) {
  setObjectName(QStringLiteral("VertKey"));
  setWindowTitle(QStringLiteral("Colour Key"));
  // The key goes with the main window; it never keeps the program running.
  setAttribute(Qt::WA_QuitOnClose, false);
  setFixedSize(kClientWidth, kClientHeight);

  QPalette silver = palette();
  silver.setColor(QPalette::Window, QColor(192, 192, 192));
  silver.setColor(QPalette::WindowText, Qt::black);
  setPalette(silver);
  setAutoFillBackground(true);

  setFont(labelFont());

  panel_ = new QFrame(this);
  panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel_->setGeometry(kStripPanelLeft, 8, 44, 617);
  strip_ = new KeyStrip(panel_);
  strip_->move(4, 8);

  drawKeyStrip(state_.colourScheme);
}

void TVertKey::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) vkdraw();
}

void TVertKey::vkdraw() {
  if (mainWindow_ != nullptr) {
    const int x = mainWindow_->frameGeometry().width() - frameGeometry().width() - 10;
    if (pos() != QPoint(x, 50)) move(x, 50);
  }
  raise();
  drawKeyLabels();
  drawKeyStrip(state_.colourScheme);
}

void TVertKey::drawKeyLabels() { update(); }

void TVertKey::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setFont(font());
  for (const KeyLabel& label : kKeyLabels) {
    painter.drawText(QRect(label.left, label.top, kStripPanelLeft - label.left, 20), Qt::AlignLeft | Qt::AlignTop,
                     QString::fromLatin1(label.text));
  }
}

void TVertKey::drawKeyStrip(int scheme) {
  QImage& picture = strip_->picture();
  const int w = picture.width();
  const int h = picture.height();
  const int step = static_cast<int>(roundHalfEven(kMaxElevation - kMinElevation, h));
  picture.fill(Qt::white);
  int b = kMinElevation;
  for (int r = 1; r <= h; ++r) {
    b += step;
    const int t = (b + 9) / 10;  // integer division truncates toward zero
    elevationColour(scheme, 10 * t, state_.shadingMode, state_.bandLimits, state_.pixel);
    const QRgb colour = qRgb(state_.pixel.pixelRed & 0xFF, state_.pixel.pixelGreen & 0xFF, state_.pixel.pixelBlue & 0xFF);
    auto* row = reinterpret_cast<QRgb*>(picture.scanLine(h - r));
    std::fill(row, row + w, colour);
  }
  strip_->update();
}

}  // namespace tarvelon
