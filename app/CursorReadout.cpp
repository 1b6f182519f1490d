#include "app/CursorReadout.h"

#include <QEvent>
#include <QMouseEvent>

#include "core/MessageText.h"
#include "dem/TileNames.h"
#include "render/ColourFunction.h"
#include "select/PlaceNames.h"

namespace tarvelon {

CursorReadout::CursorReadout(const MapViewState& state, QWidget* parent) : QLabel(parent), state_(state) {
  setObjectName(QStringLiteral("readout"));
  setTextFormat(Qt::PlainText);
  // A long text is cut at the window's edge rather than widening it.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setContentsMargins(6, 1, 6, 1);
  // The figures keep their place as they change.
  QFont figures = font();
  figures.setStyleHint(QFont::TypeWriter);
  figures.setFamily(QStringLiteral("DejaVu Sans Mono"));
  setFont(figures);
  refresh();
}

CursorReadout::~CursorReadout() = default;

void CursorReadout::watch(QWidget* mapImage) {
  mapImage->setMouseTracking(true);
  mapImage->installEventFilter(this);
}

bool CursorReadout::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseMove:
      pointAt(static_cast<QMouseEvent*>(event)->position().toPoint());
      break;
    case QEvent::Leave:
      pointerLeft();
      break;
    default:
      break;
  }
  return QLabel::eventFilter(watched, event);
}

void CursorReadout::pointAt(QPoint pixel) {
  if (pointer_ == pixel) return;
  pointer_ = pixel;
  refresh();
}

void CursorReadout::pointerLeft() {
  pointer_.reset();
  refresh();
}

void CursorReadout::noteColouring() {
  colouring_ = state_;
}

QString CursorReadout::pointText(const ShownMap::Point& point) {
  const bool sampled = point.place == ShownMap::Place::Sample;
  if (sampled) readSample(point.sample);
  const double latitude = point.located ? point.latitude : sampleLatitude(point.sample);
  const double longitude = point.located ? point.longitude : sampleLongitude(point.sample);
  QString text = QString::fromStdString(positionText(latitude, longitude)) + QStringLiteral("   ");
  if (!sampled) {
    text += QStringLiteral("no elevation data");
  } else if (!lastRead_->value) {
    text += QStringLiteral("elevation unreadable");
  } else if (*lastRead_->value < kMinElevation || *lastRead_->value > kMaxElevation) {
    text += QStringLiteral("no elevation data");
  } else {
    text += QString::fromStdString(metresText(*lastRead_->value));
  }
  return text + placeText(latitude, longitude);
}

void CursorReadout::readSample(const SampleSource& sample) {
  const std::string& name = state_.tileNames[static_cast<std::size_t>(sample.tile)];
  const std::string path = tilePath(state_.demFolder, name);
  if (lastRead_ && lastRead_->sample == sample && lastRead_->path == path) return;
  LastRead read{sample, path, std::nullopt, {}};
  // The folder or the names may have changed since the last read: the
  // reader then opens the tiles whose file is another one afresh, as it
  // does a tile whose open or read failed (the file may come back).
  tiles_.use(state_.demFolder, state_.tileNames);
  try {
    ++samplesRead_;
    read.value = tiles_.sample(sample.tile, sample.line, sample.column);
  } catch (const TileError& error) {
    read.problem = QString::fromStdString(displaySafe(error.what()));
  }
  lastRead_ = std::move(read);
}

void CursorReadout::showPlaceNames(bool shown) {
  if (placeNamesShown_ == shown) return;
  placeNamesShown_ = shown;
  refresh();
}

QString CursorReadout::placeText(double latitude, double longitude) {
  if (!placeNamesShown_) return {};
  const std::pair<double, double> point{latitude, longitude};
  if (lastNamedPoint_ != point) {
    // Some 1 900 circles, most passed over on their latitude alone: a few
    // microseconds a point.
    const NamedPlace* place = PlaceNames::builtIn().containing(latitude, longitude);
    lastPlaceText_ = place == nullptr ? QString()
                                      : QStringLiteral("  ") + QString::fromStdString(place->name) +
                                            QStringLiteral(" (") + QString::fromStdString(place->kind) +
                                            QLatin1Char(')');
    lastNamedPoint_ = point;
  }
  return lastPlaceText_;
}

void CursorReadout::refresh() {
  QString text;
  QString tip;
  // Away from the map image every map is off the map.
  const ShownMap::Point point = pointer_ ? shown_.at(pointer_->x(), pointer_->y()) : shown_.at(-1, -1);
  if (!pointer_ && point.place == ShownMap::Place::UnknownMap) {
    text = QString::fromLatin1(kReadoutOffMap);
  } else {
    switch (point.place) {
      case ShownMap::Place::NoMap:
        text = QString::fromLatin1(kReadoutNoMap);
        break;
      case ShownMap::Place::OtherPicture:
        text = QString::fromLatin1(state_.annotatedShown == 1 ? kReadoutAnnotated : kReadoutOtherPicture);
        break;
      case ShownMap::Place::UnknownMap:
        text = QString::fromLatin1(kReadoutUnknownMap);
        break;
      case ShownMap::Place::OffMap:
        text = QString::fromLatin1(kReadoutOffMap);
        break;
      case ShownMap::Place::NotDrawnYet:
        text = QString::fromLatin1(kReadoutNotDrawnYet);
        break;
      case ShownMap::Place::NotDrawn:
        text = QString::fromLatin1(kReadoutNotDrawn);
        break;
      case ShownMap::Place::Sample:
        text = pointText(point);
        if (lastRead_ && !lastRead_->value) tip = lastRead_->problem;
        break;
      case ShownMap::Place::NoSample:
        text = pointText(point);
        break;
    }
  }
  if (this->text() != text) setText(text);
  if (toolTip() != tip) setToolTip(tip);
}

}  // namespace tarvelon
