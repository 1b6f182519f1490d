#include "windows/ProfileWindow.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <utility>

#include "core/AtomicFile.h"
#include "export/LegendPicture.h"
#include "export/ProfileFile.h"
#include "export/ProfilePicture.h"

namespace tarvelon {

// The plot itself: painted once for its size and profile, kept, and the
// mark painted over it as the mouse moves.
class ProfilePlot : public QWidget {
 public:
  ProfilePlot(const ElevationProfile& profile, std::function<void(std::optional<std::size_t>)> moved, QWidget* parent)
      : QWidget(parent), profile_(profile), moved_(std::move(moved)) {
    setObjectName(QStringLiteral("profilePlot"));
    setMouseTracking(true);
    setMinimumSize(420, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

  // The profile changed: paint it again.
  void refresh() {
    picture_ = QImage();
    marked_.reset();
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (picture_.size() != size()) {
      picture_ = QImage(size(), QImage::Format_RGB32);
      picture_.fill(Qt::white);
      QPainter painter(&picture_);
      paintProfile(painter, rect(), profile_);
    }
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
    if (marked_) paintProfileMark(painter, rect(), profile_, *marked_);
  }

  void mouseMoveEvent(QMouseEvent* event) override { mark(profilePointAt(rect(), profile_, event->position().x())); }
  void leaveEvent(QEvent*) override { mark(std::nullopt); }

 private:
  void mark(std::optional<std::size_t> index) {
    if (index == marked_) return;
    marked_ = index;
    update();
    moved_(index);
  }

  const ElevationProfile& profile_;
  std::function<void(std::optional<std::size_t>)> moved_;
  QImage picture_;
  std::optional<std::size_t> marked_;
};

namespace {

const QString kNoMark = QStringLiteral("Move the mouse along the plot to read a point of the line.");

QString degrees(double value, char positive, char negative) {
  return QString::number(std::abs(value), 'f', 3) + QChar(0x00B0) + QLatin1Char(value < 0 ? negative : positive);
}

}  // namespace

ProfileWindow::ProfileWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Elevation Profile"));
  setObjectName(QStringLiteral("ProfileWindow"));
  plot_ = new ProfilePlot(
      profile_, [this](std::optional<std::size_t> index) { marked(index); }, this);
  mark_ = new QLabel(kNoMark, this);
  mark_->setObjectName(QStringLiteral("profileMark"));
  figures_ = new QLabel(this);
  figures_->setObjectName(QStringLiteral("profileFigures"));
  figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  exportCsv_ = new QPushButton(QStringLiteral("Export CSV..."), this);
  exportCsv_->setObjectName(QStringLiteral("exportCsv"));
  exportPng_ = new QPushButton(QStringLiteral("Export PNG..."), this);
  exportPng_->setObjectName(QStringLiteral("exportPng"));
  connect(exportCsv_, &QPushButton::clicked, this, [this] { chooseAndExport(false); });
  connect(exportPng_, &QPushButton::clicked, this, [this] { chooseAndExport(true); });

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(figures_, 1);
  buttons->addWidget(exportCsv_, 0, Qt::AlignBottom);
  buttons->addWidget(exportPng_, 0, Qt::AlignBottom);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(plot_, 1);
  layout->addWidget(mark_);
  layout->addLayout(buttons);
  showProfile(ElevationProfile{});
  resize(960, 600);
}

void ProfileWindow::setDialogs(ChooseFile choose, ReportError report) {
  choose_ = std::move(choose);
  report_ = std::move(report);
}

void ProfileWindow::showProfile(ElevationProfile profile) {
  profile_ = std::move(profile);
  plot_->refresh();
  mark_->setText(kNoMark);
  const bool any = !profile_.points.empty();
  exportCsv_->setEnabled(any);
  exportPng_->setEnabled(any);

  const ProfileSummary s = summariseProfile(profile_);
  const QString gap = QStringLiteral("    ");
  QString text;
  if (!any) {
    text = QStringLiteral("No profile: draw a line on a map.");
  } else if (!s.hasData) {
    text = QStringLiteral("Length ") + profileKilometres(profile_.length) + gap +
           QStringLiteral("No elevation data along the line");
  } else {
    const ProfilePoint& high = profile_.points[s.highest];
    const ProfilePoint& low = profile_.points[s.lowest];
    text = QStringLiteral("Length ") + profileKilometres(profile_.length) + gap + QStringLiteral("Total climb ") +
           profileMetres(s.climb) + gap + QStringLiteral("Total descent ") + profileMetres(s.descent) + gap +
           QStringLiteral("Steepest slope ") + profileDegrees(s.steepestDegrees) + QLatin1Char('\n') +
           QStringLiteral("Highest ") + profileMetres(high.elevation) + QStringLiteral(" at ") +
           profileKilometres(high.distance) + gap + QStringLiteral("Lowest ") + profileMetres(low.elevation) +
           QStringLiteral(" at ") + profileKilometres(low.distance);
  }
  figures_->setText(text);
  if (any) {
    show();
    raise();
    activateWindow();
  }
}

QString ProfileWindow::figuresText() const { return figures_->text(); }

QString ProfileWindow::markText() const { return mark_->text(); }

void ProfileWindow::marked(std::optional<std::size_t> index) {
  if (!index || *index >= profile_.points.size()) {
    mark_->setText(kNoMark);
    emit pointMarked(std::nullopt);
    return;
  }
  const ProfilePoint& p = profile_.points[*index];
  mark_->setText(QStringLiteral("At ") + profileKilometres(p.distance) + QStringLiteral(": ") +
                 (p.elevation == ElevationSource::kNoData ? QStringLiteral("no data") : profileMetres(p.elevation)) +
                 QStringLiteral("    ") + degrees(p.place.latitude, 'N', 'S') + QStringLiteral(" ") +
                 degrees(p.place.longitude, 'E', 'W'));
  emit pointMarked(p.place);
}

void ProfileWindow::report(const QString& text) {
  if (report_) {
    report_(text);
  } else {
    QMessageBox::critical(this, windowTitle(), text);
  }
}

bool ProfileWindow::exportCsv(const QString& path) {
  try {
    AtomicFile file(path.toStdString());
    file.write(profileCsv(profile_));
    file.commit();
    return true;
  } catch (const std::exception& e) {
    report(QString::fromStdString(e.what()));
    return false;
  }
}

bool ProfileWindow::exportPng(const QString& path) {
  if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
    report(QStringLiteral("Cannot write \"") + path +
           QStringLiteral("\": a profile picture is a PNG file, ending in .png."));
    return false;
  }
  try {
    // Through the map writers: a temporary file renamed into place.
    saveLegendPicture(profileImage(profile_), path.toStdString());
    return true;
  } catch (const std::exception& e) {
    report(QString::fromStdString(e.what()));
    return false;
  }
}

void ProfileWindow::chooseAndExport(bool png) {
  if (profile_.points.empty()) return;
  const QString title = png ? QStringLiteral("Export Profile as PNG") : QStringLiteral("Export Profile as CSV");
  const QString filter = png ? QStringLiteral("PNG Image (*.png)") : QStringLiteral("CSV File (*.csv)");
  const QString suffix = png ? QStringLiteral("png") : QStringLiteral("csv");
  const QString name = QStringLiteral("elevation_profile.") + suffix;
  std::optional<QString> path;
  if (choose_) {
    path = choose_(title, filter, suffix, name);
  } else {
    const QString chosen = QFileDialog::getSaveFileName(this, title, name, filter);
    if (!chosen.isEmpty()) path = chosen;
  }
  if (!path) return;
  if (png) {
    exportPng(*path);
  } else {
    exportCsv(*path);
  }
}

}  // namespace tarvelon
