#include "windows/about.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "core/JpegDecoder.h"
#include "windows/WindowFonts.h"

namespace tarvelon {

namespace {

QLabel* centredLabel(QWidget* parent, const QString& name, const QRect& box, const QFont& font) {
  auto* made = new QLabel(parent);
  made->setObjectName(name);
  made->setGeometry(box);
  made->setAlignment(Qt::AlignCenter);
  made->setFont(font);
  return made;
}

// The window font made small enough for the credit's lines to fit their
// box, side by side and one above the other.
QFont creditFont(const QFont& windowFont, const QSize& box) {
  QFont font = windowFont;
  const QStringList lines = QString::fromUtf8(kCreditText).split(QLatin1Char('\n'));
  for (int size = windowFont.pixelSize(); size > 8; --size) {
    font.setPixelSize(size);
    const QFontMetrics metrics(font);
    bool fits = metrics.height() * int(lines.size()) <= box.height();
    for (const QString& line : lines) {
      if (metrics.horizontalAdvance(line) > box.width()) fits = false;
    }
    if (fits) break;
  }
  return font;
}

}  // namespace

TProgDetails::TProgDetails(const QIcon& icon)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("ProgDetails"));
  setWindowTitle(QStringLiteral("ProgDetails"));
  setAttribute(Qt::WA_QuitOnClose, false);
  setModal(false);
  setFixedSize(kClientWidth, kClientHeight);
  QFont windowFont;
  windowFont.setFamilies(narrowFamilies());
  windowFont.setPixelSize(16);
  setFont(windowFont);

  panel_ = new QFrame(this);
  panel_->setObjectName(QStringLiteral("Panel1"));
  panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel_->setLineWidth(2);
  panel_->setGeometry(7, 7, 370, 146);

  image1_ = new QLabel(panel_);
  image1_->setObjectName(QStringLiteral("Image1"));
  image1_->setGeometry(7, 7, 64, 64);
  image1_->setPixmap(icon.pixmap(64, 64));

  QFont nameFont;
  nameFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                        QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
  nameFont.setPixelSize(16);
  nameFont.setBold(true);
  progname_ = centredLabel(panel_, QStringLiteral("progname"), QRect(80, 8, 272, 20), nameFont);
  version_ = centredLabel(panel_, QStringLiteral("Version"), QRect(80, 30, 272, 20), windowFont);
  date_ = centredLabel(panel_, QStringLiteral("Date"), QRect(80, 52, 272, 20), windowFont);
  label3_ = centredLabel(panel_, QStringLiteral("Label3"), QRect(7, 88, 354, 30),
                         creditFont(windowFont, QSize(354, 30)));
  label3_->setText(QString::fromUtf8(kCreditText));

  dversion_ = centredLabel(panel_, QStringLiteral("Dversion"), QRect(8, 118, 353, 19),
                           fittedFont(arialFamilies(), 12, false, {{buildLine(), 353}}));
  QPalette navy = dversion_->palette();
  navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
  dversion_->setPalette(navy);

  QFont buttonFont;
  buttonFont.setFamilies(arialFamilies());
  buttonFont.setPixelSize(16);
  buttonFont.setBold(true);
  button1_ = new QPushButton(QStringLiteral("&Close"), this);
  button1_->setObjectName(QStringLiteral("Button1"));
  button1_->setGeometry(176, 166, 65, 22);
  button1_->setFont(buttonFont);
  connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });

  FormCreate();
}

QString TProgDetails::buildLine() {
  QString compiler;
#if defined(__clang__)
  compiler = QStringLiteral("Clang %1.%2").arg(__clang_major__).arg(__clang_minor__);
#elif defined(__GNUC__)
  compiler = QStringLiteral("GCC %1.%2").arg(__GNUC__).arg(__GNUC_MINOR__);
#endif
  QString line = QStringLiteral("Built with Qt %1, libjpeg-turbo %2 and chmlib")
                     .arg(QString::fromLatin1(QT_VERSION_STR), QString::fromLatin1(jpegLibraryVersion()));
  if (!compiler.isEmpty()) line += QStringLiteral(" (") + compiler + QLatin1Char(')');
  return line;
}

void TProgDetails::FormCreate() {
  progname_->setText(QString::fromLatin1(kProgramName));
  version_->setText(QString::fromLatin1(kVersionText));
  date_->setText(QString::fromLatin1(kDateText));
  dversion_->setText(buildLine());
  // Centred once, by the outer size; later screen changes do not move it.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect desk = screen->geometry();
    move(desk.left() + (desk.width() - kOuterWidth) / 2, desk.top() + (desk.height() - kOuterHeight) / 2);
  }
  raise();
}

void TProgDetails::Button1Click() { hide(); }

}  // namespace tarvelon
