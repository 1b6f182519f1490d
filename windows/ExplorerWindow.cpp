#include "windows/ExplorerWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>
#include <exception>

#include "core/MessageText.h"
#include "dem/ElevationProfile.h"
#include "render/ColourFunction.h"

namespace tarvelon {

namespace {

constexpr int kColourPollMs = 300;

QString kmText(double metres) { return QStringLiteral("%1 km").arg(metres / 1000.0, 0, 'f', metres < 10000 ? 2 : 1); }

}  // namespace

ExplorerWindow::ExplorerWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("explorer"));
  setWindowTitle(QString::fromUtf8(kExplorerTitle));
  resize(1000, 680);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QToolBar(this);
  buildToolbar(bar);
  layout->addWidget(bar);
  canvas_ = new ExplorerCanvas(this);
  profiles_.setMarked([this](std::optional<GeoPoint> point) { canvas_->setMarker(point); });
  layout->addWidget(canvas_, 1);

  auto* status = new QStatusBar(this);
  status->setSizeGripEnabled(true);
  readout_ = new QLabel(this);
  readout_->setObjectName(QStringLiteral("explorerReadout"));
  QFont figures = readout_->font();
  figures.setStyleHint(QFont::TypeWriter);
  figures.setFamily(QStringLiteral("DejaVu Sans Mono"));
  readout_->setFont(figures);
  readout_->setMinimumWidth(320);
  measure_ = new QLabel(this);
  measure_->setObjectName(QStringLiteral("explorerMeasure"));
  level_ = new QLabel(this);
  status->addWidget(readout_);
  status->addWidget(measure_, 1);
  status->addPermanentWidget(level_);
  layout->addWidget(status);

  connect(canvas_, &ExplorerCanvas::pointerMoved, this, &ExplorerWindow::pointerMoved);
  connect(canvas_, &ExplorerCanvas::measureChanged, this, &ExplorerWindow::updateMeasure);
  connect(canvas_, &ExplorerCanvas::viewChanged, this, &ExplorerWindow::updateLevel);
  connect(canvas_, &ExplorerCanvas::profileDrawn, this, &ExplorerWindow::showProfile);
  connect(canvas_, &ExplorerCanvas::drawFailed, this,
          [this](const QString& message) { readout_->setText(QStringLiteral("Cannot draw: ") + message); });

  colourPoll_ = new QTimer(this);
  colourPoll_->setInterval(kColourPollMs);
  connect(colourPoll_, &QTimer::timeout, this, &ExplorerWindow::updateColouring);
  updateMeasure();
  updateLevel();
}

ExplorerWindow::~ExplorerWindow() = default;

void ExplorerWindow::buildToolbar(QToolBar* bar) {
  const auto add = [this, bar](const char* name, const QString& caption, const QString& tip, auto slot) {
    QAction* item = bar->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setToolTip(tip);
    connect(item, &QAction::triggered, this, slot);
    return item;
  };
  add("explorerHome", QStringLiteral("Whole Planet"), QStringLiteral("The whole planet (Home)"), [this] {
    canvas_->fitPlanet();
  });
  add("explorerZoomIn", QStringLiteral("Zoom In"), QStringLiteral("Closer (+ or the wheel)"), [this] {
    canvas_->zoomBy(1);
  });
  add("explorerZoomOut", QStringLiteral("Zoom Out"), QStringLiteral("Farther (- or the wheel)"), [this] {
    canvas_->zoomBy(-1);
  });
  bar->addSeparator();
  auto* tools = new QActionGroup(this);
  const auto tool = [&](const char* name, const QString& caption, const QString& tip, ExplorerCanvas::Tool which) {
    QAction* item = add(name, caption, tip, [this, which] { canvas_->setTool(which); });
    item->setCheckable(true);
    tools->addAction(item);
    return item;
  };
  tool("explorerPan", QStringLiteral("Pan"), QStringLiteral("Drag to move the map"), ExplorerCanvas::Tool::Pan)
      ->setChecked(true);
  tool("explorerProfile", QStringLiteral("Profile"),
       QStringLiteral("Drag a line for its elevation profile (or drag with the right button)"),
       ExplorerCanvas::Tool::Profile);
  tool("explorerMeasure", QStringLiteral("Measure"),
       QStringLiteral("Click points to measure the distances between them; Esc starts again"),
       ExplorerCanvas::Tool::Measure);
  add("explorerClear", QStringLiteral("Clear"), QStringLiteral("Forget the points measured (Esc)"), [this] {
    canvas_->clearMeasure();
  });
  bar->addSeparator();
  add("explorerDraw", QStringLiteral("Draw this view"),
      QStringLiteral("Draw this view in the main window, as a map to save"), [this] { drawThisView(); });
}

QAction* ExplorerWindow::action(const QString& name) const { return findChild<QAction*>(name); }

void ExplorerWindow::setSource(SourceOpener openSource) {
  profiles_.setSource(openSource);
  canvas_->setSource(std::move(openSource));
}

void ExplorerWindow::followColouring(std::function<Colouring()> colouring) {
  colouringOf_ = std::move(colouring);
  updateColouring();
}

void ExplorerWindow::followNames(std::function<bool()> shown) {
  namesShownOf_ = std::move(shown);
  updateColouring();
}

void ExplorerWindow::followProjection(std::function<ProjectionKind()> projection) {
  projectionOf_ = std::move(projection);
  updateColouring();
}

void ExplorerWindow::setDialogs(ProfileWindow::ChooseFile choose, ProfileWindow::ReportError report) {
  profiles_.setDialogs(std::move(choose), std::move(report));
}

void ExplorerWindow::updateColouring() {
  if (colouringOf_) canvas_->setColouring(colouringOf_());
  if (namesShownOf_) canvas_->setNamesShown(namesShownOf_());
  if (projectionOf_) canvas_->setProjection(projectionOf_());
}

void ExplorerWindow::showEvent(QShowEvent* event) {
  updateColouring();
  colourPoll_->start();
  QWidget::showEvent(event);
}

void ExplorerWindow::hideEvent(QHideEvent* event) {
  colourPoll_->stop();
  QWidget::hideEvent(event);
}

void ExplorerWindow::showAt(GeoPoint point, double samplesPerPixel) {
  show();
  raise();
  activateWindow();
  canvas_->centreOn(point, levelNearest(samplesPerPixel));
}

void ExplorerWindow::showPlanet() {
  show();
  raise();
  activateWindow();
  canvas_->fitPlanet();
}

void ExplorerWindow::pointerMoved(std::optional<GeoPoint> point) {
  if (!point) {
    readout_->clear();
    return;
  }
  QString text = QString::fromStdString(positionText(point->latitude, point->longitude)) + QStringLiteral("   ");
  try {
    if (ElevationSource* source = profiles_.source()) {
      const GridIndex index = source->indexAt(point->longitude, point->latitude);
      std::int16_t sample = ElevationSource::kNoData;
      source->gather(&index, 1, &sample);
      text += (sample < kMinElevation || sample > kMaxElevation) ? QStringLiteral("no elevation data")
                                                                  : QString::fromStdString(metresText(sample));
    }
  } catch (const std::exception&) {
    profiles_.dropSource();
    text += QStringLiteral("elevation unreadable");
  }
  readout_->setText(text);
}

void ExplorerWindow::updateMeasure() {
  const std::vector<GeoPoint>& points = canvas_->measurePoints();
  if (points.size() < 2) {
    measure_->setText(canvas_->tool() == ExplorerCanvas::Tool::Measure || !points.empty()
                          ? QStringLiteral("Click the points to measure between")
                          : QString());
    return;
  }
  QStringList legs;
  double total = 0;
  for (std::size_t i = 1; i < points.size(); ++i) {
    const double leg = greatCircleMetres(points[i - 1], points[i]);
    total += leg;
    legs << kmText(leg);
  }
  measure_->setText(points.size() == 2 ? QStringLiteral("Distance: %1").arg(kmText(total))
                                       : QStringLiteral("Legs: %1   Total: %2").arg(legs.join(QStringLiteral(" + ")),
                                                                                      kmText(total)));
}

QString ExplorerWindow::readoutText() const { return readout_->text(); }
QString ExplorerWindow::measureText() const { return measure_->text(); }

void ExplorerWindow::updateLevel() {
  if (const ProjectedExploreView* projected = canvas_->projectedView()) {
    const QString where = projected->kind() == ProjectionKind::Globe ? QStringLiteral("at the centre")
                                                                     : QStringLiteral("at the pole");
    level_->setText(QStringLiteral("%1 km a pixel %2").arg(projected->kilometresPerPixel(), 0, 'g', 3).arg(where));
    return;
  }
  const ExploreLevel& level = canvas_->view().levelInfo();
  const QString scale = level.zoom > 1 ? QStringLiteral("%1 pixels a sample").arg(level.zoom)
                                       : level.step == 1 ? QStringLiteral("a pixel a sample")
                                                         : QStringLiteral("1 sample in %1").arg(level.step);
  level_->setText(QStringLiteral("%1 (%2 km a pixel)").arg(scale).arg(canvas_->view().kilometresPerPixel(), 0, 'g', 3));
}

void ExplorerWindow::showProfile(GeoPoint from, GeoPoint to) {
  if (profiles_.show(from, to)) canvas_->setProfileLine(std::make_pair(from, to));
}

void ExplorerWindow::closeAll() {
  if (profiles_.window() != nullptr) profiles_.window()->close();
  close();
}

void ExplorerWindow::drawThisView() {
  const GridWindow window = canvas_->mapWindow();
  const std::optional<GeoPoint> centre = canvas_->centrePoint();
  if (window.width < 1 || window.height < 1 || !centre) return;
  emit drawViewRequested(window, *centre);
}

}  // namespace tarvelon
