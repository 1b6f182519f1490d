#include "select/CustomAreaPanel.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tarvelon {

namespace {

// Arial and Arial Narrow where they are installed, metric look-alikes
// where not; a stand-in that is wider is made smaller until `widest` fits
// in `room` pixels.
QFont panelFont(bool narrow, int pixels, bool bold = false, const QString& widest = {}, int room = 0) {
  QFont font;
  if (narrow) {
    font.setFamilies({QStringLiteral("Arial Narrow"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Sans Serif")});
  } else {
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
  }
  font.setBold(bold);
  font.setPixelSize(pixels);
  for (int size = pixels; !widest.isEmpty() && size > pixels / 2; --size) {
    font.setPixelSize(size);
    if (QFontMetrics(font).horizontalAdvance(widest) <= room) break;
  }
  return font;
}

QFrame* divider(QWidget* parent, int top) {
  auto* line = new QFrame(parent);
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  line->setGeometry(8, top, 240, 2);
  return line;
}

}  // namespace

CustomAreaPanel::CustomAreaPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("GetArea"));
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(2);
  setAutoFillBackground(true);
  setFixedSize(kWidth, kHeight);
  hide();

  struct LabelSpec {
    const char* name;
    const char* text;
    QRect geometry;
  };
  const LabelSpec labels[] = {
      {"Label5", "Centre Longitude (-180\xC2\xB0 to 180\xC2\xB0)", {9, 44, 196, 18}},
      {"Label6", "Centre Latitude    ( +85\xC2\xB0 to  -85\xC2\xB0)", {10, 66, 196, 18}},
      {"Label7", "Width  ....................   (1\xC2\xB0 to 50\xC2\xB0)", {12, 102, 196, 18}},
      {"Label8", "Height  ...................   (1\xC2\xB0 to 50\xC2\xB0)", {12, 124, 196, 19}},
  };
  QString widest;
  for (const LabelSpec& spec : labels) {
    const QString text = QString::fromUtf8(spec.text);
    if (QFontMetrics(panelFont(true, 16)).horizontalAdvance(text) >
        QFontMetrics(panelFont(true, 16)).horizontalAdvance(widest)) {
      widest = text;
    }
  }
  const QFont labelFont = panelFont(true, 16, false, widest, 196);

  auto* heading = new QLabel(QStringLiteral("Enter Map Details"), this);
  heading->setObjectName(QStringLiteral("Label4"));
  heading->setAlignment(Qt::AlignCenter);
  heading->setFont(panelFont(false, 16, true));
  heading->setGeometry(16, 9, 225, 18);
  for (const LabelSpec& spec : labels) {
    auto* label = new QLabel(QString::fromUtf8(spec.text), this);
    label->setObjectName(QString::fromLatin1(spec.name));
    label->setFont(labelFont);
    label->setGeometry(spec.geometry);
  }
  divider(this, 95)->setObjectName(QStringLiteral("Shape1"));
  divider(this, 152)->setObjectName(QStringLiteral("Shape2"));

  auto edit = [this](const char* name, QRect geometry) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setFont(panelFont(false, 12));
    e->setGeometry(geometry);
    e->setTextMargins(0, 0, 0, 0);
    // Room for any number worth typing, and messages that quote it stay short.
    e->setMaxLength(24);
    return e;
  };
  longw_ = edit("longw", {211, 46, 35, 17});
  latn_ = edit("latn", {211, 68, 35, 18});
  longwid_ = edit("longwid", {211, 104, 35, 17});
  lathgt_ = edit("lathgt", {211, 126, 35, 17});

  const QFont buttonFont = panelFont(true, 19, false, QStringLiteral("Draw"), 56);
  okbox_ = new QPushButton(QStringLiteral("Draw"), this);
  okbox_->setObjectName(QStringLiteral("okbox"));
  okbox_->setFont(buttonFont);
  okbox_->setGeometry(64, 164, 64, 26);
  okbox_->setDefault(true);
  button1_ = new QPushButton(QStringLiteral("Quit"), this);
  button1_->setObjectName(QStringLiteral("Button1"));
  button1_->setFont(buttonFont);
  button1_->setGeometry(128, 164, 64, 26);

  // Keyboard order: Draw, the four edits, Quit.
  setTabOrder(okbox_, longw_);
  setTabOrder(longw_, latn_);
  setTabOrder(latn_, longwid_);
  setTabOrder(longwid_, lathgt_);
  setTabOrder(lathgt_, button1_);

  connect(longw_, &QLineEdit::textChanged, this, &CustomAreaPanel::longwChange);
  connect(latn_, &QLineEdit::textChanged, this, &CustomAreaPanel::latnChange);
  connect(longwid_, &QLineEdit::textChanged, this, &CustomAreaPanel::longwidChange);
  connect(lathgt_, &QLineEdit::textChanged, this, &CustomAreaPanel::lathgtChange);
  // Enter in an edit presses Draw: outside a dialog a default button does
  // not hear it.
  for (QLineEdit* e : {longw_, latn_, longwid_, lathgt_}) {
    connect(e, &QLineEdit::returnPressed, okbox_, &QPushButton::click);
  }
  connect(okbox_, &QPushButton::clicked, this, &CustomAreaPanel::okboxClick);
  connect(button1_, &QPushButton::clicked, this, &CustomAreaPanel::Button1Click);
}

void CustomAreaPanel::showPanel() {
  show();
  raise();
  longw_->setFocus(Qt::OtherFocusReason);
}

void CustomAreaPanel::apply(QLineEdit* edit, const EditOutcome& outcome) {
  for (const std::string& message : outcome.messages) emit information(QString::fromStdString(message));
  if (outcome.newText) {
    // The outcome already holds what the new text leads to.
    handling_ = true;
    edit->setText(QString::fromStdString(*outcome.newText));
    handling_ = false;
  }
}

void CustomAreaPanel::longwChange() {
  if (handling_) return;
  apply(longw_, longitudeChanged(entry_, longw_->text().toStdString()));
}

void CustomAreaPanel::latnChange() {
  if (handling_) return;
  apply(latn_, latitudeChanged(entry_, latn_->text().toStdString()));
}

void CustomAreaPanel::longwidChange() {
  if (handling_) return;
  apply(longwid_, widthChanged(entry_, longwid_->text().toStdString()));
}

void CustomAreaPanel::lathgtChange() {
  if (handling_) return;
  apply(lathgt_, heightChanged(entry_, lathgt_->text().toStdString()));
}

void CustomAreaPanel::okboxClick() {
  const DrawRequest request = customAreaDraw(
      entry_, {longw_->text().toStdString(), latn_->text().toStdString(), longwid_->text().toStdString(),
               lathgt_->text().toStdString()});
  switch (request.kind) {
    case DrawRequest::Kind::Refused:
      emit information(QString::fromStdString(request.error));
      return;
    case DrawRequest::Kind::NotAnInteger:
      emit error(QString::fromStdString(request.error));
      return;
    case DrawRequest::Kind::Draw:
      hide();
      emit drawRequested(request.area.west, request.area.north, request.area.east, request.area.south);
      return;
  }
}

void CustomAreaPanel::Button1Click() { hide(); }

}  // namespace tarvelon
