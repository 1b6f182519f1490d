#include "select/LocMap.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPaintEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tarvelon {

namespace {

const QColor kCrossColour(0, 0, 128);  // navy

}  // namespace

QImage locationMapPicture() {
  static const QImage picture(QStringLiteral(":/tarvelon/locationmap.bmp"));
  return picture;
}

LocatorImage::LocatorImage(QWidget* parent) : QWidget(parent), picture_(locationMapPicture()) {
  setObjectName(QStringLiteral("locator"));
  setFixedSize(kLocationMapWidth, kLocationMapHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LocatorImage::setCross(std::optional<CrossPosition> cross) {
  if (cross == cross_) return;
  cross_ = cross;
  update();
}

void LocatorImage::paintCross(QPainter& painter) const {
  if (!cross_) return;
  painter.setClipRect(0, 0, kLocationMapWidth, kLocationMapHeight);
  QPen pen(kCrossColour);
  pen.setWidth(kCrossPen);
  painter.setPen(pen);
  const int x = cross_->x;
  const int y = cross_->y;
  painter.drawLine(x - kCrossArm, y - kCrossArm, x + kCrossArm, y + kCrossArm);
  painter.drawLine(x - kCrossArm, y + kCrossArm, x + kCrossArm, y - kCrossArm);
}

QImage LocatorImage::rendered() const {
  QImage image = picture_.convertToFormat(QImage::Format_RGB32);
  QPainter painter(&image);
  paintCross(painter);
  return image;
}

void LocatorImage::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect().topLeft(), picture_, event->rect());
  paintCross(painter);
}

void LocatorImage::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPointF at = event->position();
  if (at.x() < 0 || at.y() < 0 || at.x() >= kLocationMapWidth || at.y() >= kLocationMapHeight) return;
  // 4/3 pixel a degree from 180 W and 90 N.
  emit pointClicked(at.x() * 0.75 - 180.0, 90.0 - at.y() * 0.75);
}

TLocationMap::TLocationMap(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint |
                              Qt::CustomizeWindowHint) {
  setObjectName(QStringLiteral("LocationMap"));
  setWindowTitle(QStringLiteral("LocationMap"));
  // The window goes with the main window; it never keeps the program running.
  setAttribute(Qt::WA_QuitOnClose, false);
  setFixedSize(kClientWidth, kClientHeight);
  move(225, 254);

  showFeature_ = new QFrame(this);
  showFeature_->setObjectName(QStringLiteral("ShowFeature"));
  showFeature_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  showFeature_->setLineWidth(2);
  showFeature_->setGeometry(7, 8, 497, 281);

  title_ = new QLabel(showFeature_);
  title_->setObjectName(QStringLiteral("title"));
  title_->setGeometry(8, 8, 465, 17);
  title_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QFont bold;
  bold.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                    QStringLiteral("Sans Serif")});
  bold.setBold(true);
  bold.setPixelSize(12);
  title_->setFont(bold);

  locator_ = new LocatorImage(showFeature_);
  locator_->setCursor(Qt::PointingHandCursor);
  locator_->setToolTip(QStringLiteral("Click to explore the planet there"));
  connect(locator_, &LocatorImage::pointClicked, this, &TLocationMap::pointChosen);
  locator_->move(9, 33);
}

void TLocationMap::showLocation(const QString& title, const std::optional<AreaBounds>& area) {
  showLocationAt(title, area ? std::optional(locationCross(*area)) : std::nullopt);
}

void TLocationMap::showLocationAt(const QString& title, const std::optional<CrossPosition>& cross) {
  title_->setText(title);
  locator_->setCross(cross);
  crossSeenInactive_ = false;
  show();
  raise();
  activateWindow();
}

void TLocationMap::FormActivate() {
  if (crossSeenInactive_) locator_->setCross(std::nullopt);
  crossSeenInactive_ = false;
}

void TLocationMap::FormClose() {
  locator_->setCross(std::nullopt);
  crossSeenInactive_ = false;
}

void TLocationMap::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  if (isActiveWindow()) {
    FormActivate();
  } else if (locator_->cross()) {
    crossSeenInactive_ = true;
  }
}

void TLocationMap::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
  if (!closingByCommand_) emit closedByUser();
}

void TLocationMap::closeWindow() {
  closingByCommand_ = true;
  close();
  closingByCommand_ = false;
}

}  // namespace tarvelon
