#include "export/ProfilePicture.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <vector>

#include "export/LegendPicture.h"

namespace tarvelon {

namespace {

constexpr int kMargin = 14;  // round the whole picture
constexpr int kTick = 5;     // a tick's length outside the frame
constexpr double kMarkRadius = 3.5;

const QColor kInk(35, 35, 35);
const QColor kFrameColour(110, 110, 110);
const QColor kGridColour(228, 228, 228);
const QColor kCurveColour(125, 55, 25);
const QColor kFillColour(236, 208, 178);
const QColor kHighestColour(175, 35, 25);
const QColor kLowestColour(30, 75, 160);
const QColor kMarkColour(20, 110, 190);
const QColor kHalo(255, 255, 255);

constexpr std::int16_t kNoData = ElevationSource::kNoData;

QFont tickFont() { return legendFont(LegendFont::Label); }
QFont titleFont() { return legendFont(LegendFont::Subtitle); }
QFont summaryFont() {
  QFont f = legendFont(LegendFont::Subtitle);
  f.setPixelSize(13);
  f.setBold(true);
  return f;
}

// The step of the 1-2-5 series at or above `raw`.
double niceStep(double raw) {
  if (!(raw > 0) || !std::isfinite(raw)) return 1;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double n = raw / magnitude;
  const double mantissa = n <= 1 + 1e-9 ? 1 : n <= 2 + 1e-9 ? 2 : n <= 5 + 1e-9 ? 5 : 10;
  return mantissa * magnitude;
}

// The step of the series after `step`.
double nextStep(double step) { return niceStep(step * 1.5); }

int decimalsOf(double step) { return step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9)); }

QString tickText(double value, int decimals) {
  if (std::abs(value) < 1e-9) value = 0;  // never "-0"
  return QString::number(value, 'f', decimals);
}

struct Axis {
  double low = 0, high = 1, step = 1;
  int decimals = 0;

  std::vector<double> ticks() const {
    std::vector<double> values;
    const double first = std::ceil(low / step - 1e-9);
    for (double k = first; k * step <= high + step * 1e-9; ++k) values.push_back(k * step);
    return values;
  }
};

// Everything the plot's painting places, worked out once for both the
// painting and the window's mouse.
struct Layout {
  QRectF frame;
  Axis x;  // km
  Axis y;  // metres
  ProfileSummary summary;
  double summaryBaseline = 0;

  double xOf(double metres) const { return frame.left() + (metres / 1000 - x.low) / (x.high - x.low) * frame.width(); }
  double yOf(double elevation) const {
    return frame.bottom() - (elevation - y.low) / (y.high - y.low) * frame.height();
  }
};

Layout layoutOf(const QRect& area, const ElevationProfile& profile) {
  Layout layout;
  layout.summary = summariseProfile(profile);
  const QFontMetricsF ticks(tickFont()), titles(titleFont()), summary(summaryFont());

  // Elevations: the data's range with room above and below for the
  // labels of the highest and lowest points, out to round ticks.
  double low = 0, high = 1000;
  if (layout.summary.hasData) {
    low = profile.points[layout.summary.lowest].elevation;
    high = profile.points[layout.summary.highest].elevation;
    if (high - low < 20) {
      const double middle = (high + low) / 2;
      low = middle - 10;
      high = middle + 10;
    }
    const double room = 0.06 * (high - low);
    low -= room;
    high += room;
  }
  layout.summaryBaseline = area.top() + kMargin + summary.ascent();
  const double top = area.top() + kMargin + summary.height() + 12;
  const double bottom = area.top() + area.height() - kMargin - titles.height() - 6 - ticks.height() - kTick;
  const double height = std::max(10.0, bottom - top);
  // A tick every three lines of text or more.
  double step = niceStep((high - low) / std::max(2.0, std::floor(height / (ticks.height() * 3))));
  while ((high - low) / step > std::max(2.0, height / (ticks.height() * 1.5))) step = nextStep(step);
  layout.y = Axis{std::floor(low / step) * step, std::ceil(high / step) * step, step, decimalsOf(step)};
  double labelWidth = 0;
  for (double v : layout.y.ticks())
    labelWidth = std::max(labelWidth, ticks.horizontalAdvance(tickText(v, layout.y.decimals)));

  // Distances: 0 to the length, ticks at round numbers within.
  const double km = profile.length > 0 ? profile.length / 1000 : 1;
  const double left = area.left() + kMargin + titles.height() + 8 + labelWidth + kTick + 4;
  const double right =
      area.left() + area.width() - kMargin - ticks.horizontalAdvance(tickText(km, km < 10 ? 2 : 0)) / 2;
  const double width = std::max(10.0, right - left);
  layout.x.low = 0;
  layout.x.high = km;
  layout.x.step = niceStep(km / std::max(1.0, width / 100));
  for (;;) {
    layout.x.decimals = decimalsOf(layout.x.step);
    double widest = 0;
    for (double v : layout.x.ticks())
      widest = std::max(widest, ticks.horizontalAdvance(tickText(v, layout.x.decimals)));
    if (widest + 18 <= layout.x.step / km * width) break;
    layout.x.step = nextStep(layout.x.step);
    if (layout.x.step > km) break;
  }
  layout.x.decimals = decimalsOf(layout.x.step);
  layout.frame = QRectF(left, top, width, height);
  return layout;
}

// Text with a white halo, so that it reads over the curve and the grid.
void haloText(QPainter& painter, QPointF baseline, const QString& text, const QFont& font, const QColor& colour) {
  QPainterPath path;
  path.addText(baseline, font, text);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.strokePath(path, QPen(kHalo, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.restore();
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(baseline, text);
}

// The runs of consecutive points with data, as first and one-past-last.
std::vector<std::pair<std::size_t, std::size_t>> runsWithData(const ElevationProfile& profile) {
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  const auto& points = profile.points;
  for (std::size_t i = 0; i < points.size();) {
    if (points[i].elevation == kNoData) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < points.size() && points[end].elevation != kNoData) ++end;
    runs.emplace_back(i, end);
    i = end;
  }
  return runs;
}

void paintCurve(QPainter& painter, const Layout& layout, const ElevationProfile& profile) {
  painter.save();
  painter.setClipRect(layout.frame);
  painter.setRenderHint(QPainter::Antialiasing, true);
  for (const auto& [first, end] : runsWithData(profile)) {
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(end - first));
    for (std::size_t i = first; i < end; ++i) {
      line << QPointF(layout.xOf(profile.points[i].distance), layout.yOf(profile.points[i].elevation));
    }
    if (line.size() == 1) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(kCurveColour);
      painter.drawEllipse(line.front(), 1.5, 1.5);
      continue;
    }
    QPolygonF area = line;
    area << QPointF(line.back().x(), layout.frame.bottom()) << QPointF(line.front().x(), layout.frame.bottom());
    painter.setPen(Qt::NoPen);
    painter.setBrush(kFillColour);
    painter.drawPolygon(area);
    QPen pen(kCurveColour, 1.6);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);
  }
  painter.restore();
}

void paintAxes(QPainter& painter, const Layout& layout, bool grid) {
  const QRectF& f = layout.frame;
  const QFont font = tickFont();
  const QFontMetricsF metrics(font);
  painter.setFont(font);
  if (grid) {
    painter.setPen(QPen(kGridColour, 1));
    for (double v : layout.y.ticks())
      painter.drawLine(QPointF(f.left(), layout.yOf(v)), QPointF(f.right(), layout.yOf(v)));
    for (double v : layout.x.ticks()) {
      painter.drawLine(QPointF(layout.xOf(v * 1000), f.top()), QPointF(layout.xOf(v * 1000), f.bottom()));
    }
    return;
  }
  painter.setPen(QPen(kFrameColour, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(f);
  for (double v : layout.y.ticks()) {
    const double y = layout.yOf(v);
    painter.setPen(QPen(kFrameColour, 1));
    painter.drawLine(QPointF(f.left() - kTick, y), QPointF(f.left(), y));
    const QString text = tickText(v, layout.y.decimals);
    painter.setPen(kInk);
    painter.drawText(
        QPointF(f.left() - kTick - 4 - metrics.horizontalAdvance(text), y + (metrics.ascent() - metrics.descent()) / 2),
        text);
  }
  for (double v : layout.x.ticks()) {
    const double x = layout.xOf(v * 1000);
    painter.setPen(QPen(kFrameColour, 1));
    painter.drawLine(QPointF(x, f.bottom()), QPointF(x, f.bottom() + kTick));
    const QString text = tickText(v, layout.x.decimals);
    painter.setPen(kInk);
    painter.drawText(QPointF(x - metrics.horizontalAdvance(text) / 2, f.bottom() + kTick + 2 + metrics.ascent()), text);
  }
}

void paintTitles(QPainter& painter, const QRect& area, const Layout& layout) {
  const QFont font = titleFont();
  const QFontMetricsF metrics(font);
  painter.setFont(font);
  painter.setPen(kInk);
  const QString distance = QStringLiteral("Distance (km)");
  painter.drawText(QPointF(layout.frame.center().x() - metrics.horizontalAdvance(distance) / 2,
                           area.top() + area.height() - kMargin - metrics.descent()),
                   distance);
  const QString elevation = QStringLiteral("Elevation (m)");
  painter.save();
  painter.translate(area.left() + kMargin + metrics.ascent(), layout.frame.center().y());
  painter.rotate(-90);
  painter.drawText(QPointF(-metrics.horizontalAdvance(elevation) / 2, 0), elevation);
  painter.restore();
}

// The highest point's label above it and the lowest's below, each turned
// to the other side when it would leave the frame, kept inside it.
void paintExtremes(QPainter& painter, const Layout& layout, const ElevationProfile& profile) {
  const ProfileSummary& s = layout.summary;
  if (!s.hasData) return;
  const QFont font = tickFont();
  const QFontMetricsF metrics(font);
  const QRectF& f = layout.frame;
  QRectF placed;
  auto mark = [&](std::size_t index, bool above, const QColor& colour) {
    const ProfilePoint& p = profile.points[index];
    const QPointF at(layout.xOf(p.distance), layout.yOf(p.elevation));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(kHalo, 1.5));
    painter.setBrush(colour);
    painter.drawEllipse(at, kMarkRadius, kMarkRadius);
    painter.restore();
    const QString text = profileMetres(p.elevation);
    const double w = metrics.horizontalAdvance(text), h = metrics.ascent() + metrics.descent();
    const double gap = kMarkRadius + 3;
    double top = above ? at.y() - gap - h : at.y() + gap;
    if (above && top < f.top() + 2) top = at.y() + gap;
    if (!above && top + h > f.bottom() - 2) top = at.y() - gap - h;
    top = std::clamp(top, f.top() + 2, std::max(f.top() + 2, f.bottom() - 2 - h));
    double left = std::clamp(at.x() - w / 2, f.left() + 3, std::max(f.left() + 3, f.right() - 3 - w));
    QRectF box(left, top, w, h);
    if (placed.isValid() && box.intersects(placed.adjusted(-4, -2, 4, 2))) {
      // Beside the point instead, on the side with more room.
      left = at.x() + gap + w <= f.right() - 3 ? at.x() + gap : at.x() - gap - w;
      box.moveLeft(left);
      box.moveTop(std::clamp(at.y() - h / 2, f.top() + 2, std::max(f.top() + 2, f.bottom() - 2 - h)));
    }
    haloText(painter, QPointF(box.left(), box.top() + metrics.ascent()), text, font, colour);
    placed = box;
  };
  mark(s.highest, true, kHighestColour);
  if (s.lowest != s.highest && profile.points[s.lowest].elevation != profile.points[s.highest].elevation) {
    mark(s.lowest, false, kLowestColour);
  }
}

void paintMark(QPainter& painter, const Layout& layout, const ElevationProfile& profile, std::size_t marked) {
  if (profile.points.empty()) return;
  const ProfilePoint& p = profile.points[std::min(marked, profile.points.size() - 1)];
  const QRectF& f = layout.frame;
  const double x = layout.xOf(p.distance);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPen pen(kMarkColour, 1.2, Qt::DashLine);
  painter.setPen(pen);
  painter.drawLine(QPointF(x, f.top()), QPointF(x, f.bottom()));
  if (p.elevation != kNoData) {
    painter.setPen(QPen(kHalo, 1.5));
    painter.setBrush(kMarkColour);
    painter.drawEllipse(QPointF(x, layout.yOf(p.elevation)), kMarkRadius, kMarkRadius);
  }
  painter.restore();
  const QFont font = tickFont();
  const QFontMetricsF metrics(font);
  const QString text = profileKilometres(p.distance) + QStringLiteral(", ") +
                       (p.elevation != kNoData ? profileMetres(p.elevation) : QStringLiteral("no data"));
  const double w = metrics.horizontalAdvance(text);
  const double left = x + 6 + w <= f.right() - 2 ? x + 6 : x - 6 - w;
  haloText(painter, QPointF(std::max(f.left() + 2, left), f.top() + 4 + metrics.ascent()), text, font, kMarkColour);
}

}  // namespace

QString profileKilometres(double metres) {
  const double km = metres / 1000;
  return QString::number(km, 'f', std::abs(km) < 10 ? 2 : 1) + QStringLiteral(" km");
}

QString profileMetres(double metres) { return QString::number(std::llround(metres)) + QStringLiteral(" m"); }

QString profileDegrees(double degrees) { return QString::number(degrees, 'f', 1) + QChar(0x00B0); }

QString profileSummaryLine(const ElevationProfile& profile) {
  const ProfileSummary s = summariseProfile(profile);
  const QString gap = QStringLiteral("    ");
  QString line = QStringLiteral("Length ") + profileKilometres(profile.length);
  if (!s.hasData) return line + gap + QStringLiteral("No elevation data along the line");
  return line + gap + QStringLiteral("Climb ") + profileMetres(s.climb) + gap + QStringLiteral("Descent ") +
         profileMetres(s.descent) + gap + QStringLiteral("Steepest slope ") + profileDegrees(s.steepestDegrees);
}

QRectF profilePlotFrame(const QRect& area, const ElevationProfile& profile) { return layoutOf(area, profile).frame; }

std::optional<std::size_t> profilePointAt(const QRect& area, const ElevationProfile& profile, double x) {
  if (profile.points.empty()) return std::nullopt;
  const Layout layout = layoutOf(area, profile);
  if (x < layout.frame.left() || x > layout.frame.right()) return std::nullopt;
  const double metres = ((x - layout.frame.left()) / layout.frame.width() * (layout.x.high - layout.x.low)) * 1000;
  const auto& points = profile.points;
  const auto after = std::lower_bound(points.begin(), points.end(), metres,
                                      [](const ProfilePoint& p, double d) { return p.distance < d; });
  if (after == points.begin()) return 0;
  if (after == points.end()) return points.size() - 1;
  const auto before = after - 1;
  return std::size_t((metres - before->distance <= after->distance - metres ? before : after) - points.begin());
}

void paintProfile(QPainter& painter, const QRect& area, const ElevationProfile& profile,
                  std::optional<std::size_t> marked) {
  const Layout layout = layoutOf(area, profile);
  painter.save();
  painter.setClipRect(area);
  painter.fillRect(area, Qt::white);
  painter.setRenderHint(QPainter::TextAntialiasing, true);

  const QFont font = summaryFont();
  painter.setFont(font);
  painter.setPen(kInk);
  const QString summary =
      QFontMetricsF(font).elidedText(profileSummaryLine(profile), Qt::ElideRight, area.width() - 2 * kMargin);
  painter.drawText(QPointF(area.left() + kMargin, layout.summaryBaseline), summary);

  paintAxes(painter, layout, true);
  paintCurve(painter, layout, profile);
  paintAxes(painter, layout, false);
  paintTitles(painter, area, layout);
  if (!layout.summary.hasData) {
    const QFont message = titleFont();
    const QString text =
        profile.points.empty() ? QStringLiteral("No profile") : QStringLiteral("No elevation data along this line");
    const QFontMetricsF metrics(message);
    painter.setFont(message);
    painter.setPen(kInk);
    painter.drawText(
        QPointF(layout.frame.center().x() - metrics.horizontalAdvance(text) / 2, layout.frame.center().y()), text);
  }
  paintExtremes(painter, layout, profile);
  if (marked) paintMark(painter, layout, profile, *marked);
  painter.restore();
}

void paintProfileMark(QPainter& painter, const QRect& area, const ElevationProfile& profile, std::size_t marked) {
  const Layout layout = layoutOf(area, profile);
  painter.save();
  painter.setClipRect(area);
  paintMark(painter, layout, profile, marked);
  painter.restore();
}

QImage profileImage(const ElevationProfile& profile, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(Qt::white);
  QPainter painter(&image);
  paintProfile(painter, QRect(QPoint(0, 0), size), profile);
  painter.end();
  return image;
}

}  // namespace tarvelon
