#include "windows/Stretch.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "render/ColourFunction.h"
#include "windows/KeyMain.h"
#include "windows/WindowFonts.h"

namespace tarvelon {

namespace {

const QString kUpperCaption = QStringLiteral("Set upper altitude limit (max =");
const QString kLowerCaption = QStringLiteral("Set lower altitude limit (min =");

QLabel* label(QWidget* parent, const QString& name, const QString& text, const QRect& box,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
  auto* made = new QLabel(text, parent);
  made->setObjectName(name);
  made->setGeometry(box);
  made->setAlignment(alignment);
  return made;
}

QScrollBar* limitBar(QWidget* parent, const QString& name, const QRect& box) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setObjectName(name);
  bar->setGeometry(box);
  bar->setSingleStep(TStretchColours::kSmallStep);
  bar->setPageStep(TStretchColours::kLargeStep);
  // The bars are in the tab order; the arrow keys move them.
  bar->setFocusPolicy(Qt::StrongFocus);
  return bar;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, const QRect& box,
                    const QFont& font) {
  auto* made = new QPushButton(caption, parent);
  made->setObjectName(name);
  made->setGeometry(box);
  made->setFont(font);
  return made;
}

}  // namespace

TStretchColours::TStretchColours(MapViewState& state, StretchHost& host, QWidget* mainWindow)
    : QDialog(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint),
      state_(state),
      host_(host) {
  setObjectName(QStringLiteral("StretchColours"));
  setWindowTitle(QStringLiteral("Optimise Shading"));
  // The dialog goes with the main window; it never keeps the program running.
  setAttribute(Qt::WA_QuitOnClose, false);
  setModal(false);
  setFixedSize(kClientWidth, kClientHeight);

  panel_ = new QFrame(this);
  panel_->setObjectName(QStringLiteral("Panel1"));
  panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel_->setGeometry(8, 8, 377, 201);
  QPalette pink = panel_->palette();
  pink.setColor(QPalette::Window, QColor(255, 175, 175));
  pink.setColor(QPalette::WindowText, Qt::black);
  panel_->setPalette(pink);
  panel_->setAutoFillBackground(true);
  panel_->setFont(fittedFont(narrowFamilies(), 16, false,
                             {{kUpperCaption, 185},
                              {kLowerCaption, 185},
                              {QStringLiteral("-8200"), 37},
                              {QStringLiteral("21250"), 37},
                              {QStringLiteral("21250 m)"), 57}}));

  label(panel_, QStringLiteral("Label1"), kUpperCaption, QRect(8, 8, 185, 20));
  altmax_ = label(panel_, QStringLiteral("altmax"), QString(), QRect(192, 8, 57, 20));
  topLimit_ = limitBar(panel_, QStringLiteral("TopLimit"), QRect(8, 38, 300, 16));
  altitude0_ = label(panel_, QStringLiteral("altitude0"), QString(), QRect(314, 36, 37, 20),
                     Qt::AlignRight | Qt::AlignVCenter);
  label(panel_, QStringLiteral("Label2"), QStringLiteral("m"), QRect(354, 36, 20, 20));

  label(panel_, QStringLiteral("Label3"), kLowerCaption, QRect(8, 80, 185, 20));
  altmin_ = label(panel_, QStringLiteral("altmin"), QString(), QRect(192, 80, 81, 20));
  bottomLimit_ = limitBar(panel_, QStringLiteral("BottomLimit"), QRect(8, 110, 300, 16));
  altitude1_ = label(panel_, QStringLiteral("altitude1"), QString(), QRect(314, 108, 37, 20),
                     Qt::AlignRight | Qt::AlignVCenter);
  label(panel_, QStringLiteral("Label4"), QStringLiteral("m"), QRect(354, 108, 20, 20));

  const QFont bold = fittedFont(arialFamilies(), 16, true, {{QStringLiteral("&User Colours"), 108}});
  optButton_ = button(panel_, QStringLiteral("OptButton"), QStringLiteral("&Optimise"), QRect(26, 160, 116, 24), bold);
  defaultButton_ =
      button(panel_, QStringLiteral("DefaultButton"), QStringLiteral("&Default"), QRect(148, 160, 77, 24), bold);
  userButton_ =
      button(panel_, QStringLiteral("UserButton"), QStringLiteral("&User Colours"), QRect(229, 160, 116, 24), bold);
  optButton_->setDefault(true);

  setTabOrder(topLimit_, bottomLimit_);
  setTabOrder(bottomLimit_, optButton_);
  setTabOrder(optButton_, defaultButton_);
  setTabOrder(defaultButton_, userButton_);

  connect(topLimit_, &QScrollBar::valueChanged, this, [this] { TopLimitChange(); });
  connect(bottomLimit_, &QScrollBar::valueChanged, this, [this] { BottomLimitChange(); });
  connect(optButton_, &QPushButton::clicked, this, [this] { OptButtonClick(); });
  connect(defaultButton_, &QPushButton::clicked, this, [this] { DefaultButtonClick(); });
  connect(userButton_, &QPushButton::clicked, this, [this] { UserButtonClick(); });

  // Placed by the main window's size as it stands at creation.
  if (mainWindow != nullptr) {
    const QSize main = mainWindow->frameGeometry().size();
    move(main.width() - kOuterWidth - 20, main.height() - kOuterHeight - 20);
  }
  initLimits();
}

void TStretchColours::initLimits() {
  {
    const QSignalBlocker block(topLimit_);
    topLimit_->setRange(kTopMinimum, kTopMaximum);
    topLimit_->setValue(kTopMaximum);
  }
  altitude0_->setText(QString::number(topLimit_->value()));
  {
    const QSignalBlocker block(bottomLimit_);
    bottomLimit_->setRange(kBottomMinimum, kBottomMaximum);
    bottomLimit_->setValue(kBottomMinimum);
  }
  altitude1_->setText(QString::number(bottomLimit_->value()));
}

bool TStretchColours::place(QScrollBar* bar, int position) {
  const int before = bar->value();
  const QSignalBlocker block(bar);
  bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
  return bar->value() != before;
}

// Each step of 50 m would run the handler again, nested, as long as the
// position changes; the loop takes the same steps and stops where the nested
// runs would.
void TStretchColours::TopLimitChange() {
  int top = topLimit_->value();
  while (bottomLimit_->value() + kLeastGap >= top) {
    const int next = std::min(top + kSmallStep, topLimit_->maximum());
    if (next == top) break;
    top = next;
  }
  place(topLimit_, top);
  altitude0_->setText(QString::number(topLimit_->value()));
}

void TStretchColours::BottomLimitChange() {
  int bottom = bottomLimit_->value();
  while (bottom + kLeastGap >= topLimit_->value()) {
    const int next = std::max(bottom - kSmallStep, bottomLimit_->minimum());
    if (next == bottom) break;
    bottom = next;
  }
  place(bottomLimit_, bottom);
  altitude1_->setText(QString::number(bottomLimit_->value()));
}

void TStretchColours::OptButtonClick() {
  // The bars take what their ranges allow; the texts, and so the bands,
  // take the exact values.
  topLimit_->setValue(state_.altMax);
  altitude0_->setText(QString::number(state_.altMax));
  bottomLimit_->setValue(state_.altMin);
  altitude1_->setText(QString::number(state_.altMin));
  QCoreApplication::processEvents();
  rebuildBands(kUserColours);
}

void TStretchColours::DefaultButtonClick() {
  if (state_.colourScheme == kUserColours) state_.colourScheme = host_.schemeAfterUserColours();
  rebuildBands(state_.colourScheme);
}

void TStretchColours::UserButtonClick() { rebuildBands(kUserColours); }

void TStretchColours::rebuildBands(int scheme) {
  bool topRead = false;
  bool bottomRead = false;
  const int bottom = altitude1_->text().toInt(&bottomRead);
  const int top = altitude0_->text().toInt(&topRead);
  // The dialog writes both texts itself, as decimal integers.
  if (!topRead || !bottomRead) return;
  state_.bandLimits = buildBandLimits(top, bottom);
  state_.colourScheme = scheme;
  if (colourKey_ != nullptr && colourKey_->isVisible()) {
    colourKey_->update();
    colourKey_->vkdraw();
    colourKey_->activateWindow();
  }
  host_.redrawByMapKind();
}

void TStretchColours::setAltitudeLabels(const QString& altmax, const QString& altmin) {
  altmax_->setText(altmax);
  altmin_->setText(altmin);
}

}  // namespace tarvelon
