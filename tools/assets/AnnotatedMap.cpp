#include "tools/assets/AnnotatedMap.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "tools/assets/Assets.h"
#include "tools/assets/Relief.h"

namespace tarvelon::assets {

namespace {

using Kind = FeatureKind;

constexpr double kHalo = 2.0;      // the halo's reach around a glyph, pixels
constexpr double kMarkRadius = 4;  // half the size of a feature's mark

// The tile lines: latitudes 88, 44, 0, -44, -88 and longitudes -90, 0, 90.
constexpr int kTileTop = 8;          // 88 N
constexpr int kTileRowHeight = 176;  // 44 degrees
constexpr int kTileColumnWidth = 360;

const QColor kRegionColour(0, 0, 0);
const QColor kCraterColour(0, 40, 215);
const QColor kValleyColour(205, 0, 0);

QColor colourOf(Kind kind) {
  switch (kind) {
    case Kind::Crater:
      return kCraterColour;
    case Kind::Valley:
      return kValleyColour;
    default:
      return kRegionColour;
  }
}

bool hasMark(Kind kind) { return kind == Kind::Crater || kind == Kind::Volcano; }

// Glyph outlines of a text with its baseline's start at (0, 0).
QPainterPath textPath(const QString& text, const QFont& font) {
  QPainterPath path;
  path.addText(QPointF(0, 0), font, text);
  return path;
}

// The places tried for a label, nearest first: beside its mark for a
// marked feature, around its centre otherwise.
std::vector<QPointF> candidateCentres(const QPointF& anchor, const QSizeF& size, bool marked) {
  std::vector<QPointF> centres;
  const double w = size.width() / 2;
  const double h = size.height() / 2;
  if (marked) {
    for (double gap = 1; gap <= 25; gap += 4) {
      const double dx = kMarkRadius + gap + w;
      const double dy = kMarkRadius + gap + h;
      for (const QPointF& offset : {QPointF(dx, 0), QPointF(-dx, 0), QPointF(0, -dy), QPointF(0, dy),
                                    QPointF(dx, -dy), QPointF(-dx, -dy), QPointF(dx, dy), QPointF(-dx, dy)}) {
        centres.push_back(anchor + offset);
      }
    }
    return centres;
  }
  std::vector<QPointF> offsets;
  for (int dy = -48; dy <= 48; dy += 4) {
    for (int dx = -80; dx <= 80; dx += 8) offsets.emplace_back(dx, dy);
  }
  // Nearest first; height counts double, as names sit best level with
  // their feature.
  std::stable_sort(offsets.begin(), offsets.end(), [](const QPointF& a, const QPointF& b) {
    return std::hypot(a.x(), 2 * a.y()) < std::hypot(b.x(), 2 * b.y());
  });
  for (const QPointF& offset : offsets) centres.push_back(anchor + offset);
  return centres;
}

// A name reads best off the white tile lines.
bool crossesTileLine(const QRectF& box) {
  for (int r = 0; r <= 4; ++r) {
    const double y = kTileTop + r * kTileRowHeight;
    if (box.top() <= y + 1 && box.bottom() >= y) return true;
  }
  for (int c = 1; c < 4; ++c) {
    const double x = c * kTileColumnWidth;
    if (box.left() <= x + 1 && box.right() >= x) return true;
  }
  return false;
}

bool overlapsAny(const QRectF& box, const std::vector<QRectF>& taken) {
  return std::any_of(taken.begin(), taken.end(), [&](const QRectF& other) { return box.intersects(other); });
}

}  // namespace

const std::vector<AnnotatedFeature>& annotatedFeatures() {
  // Centres of the gazetteer's rectangles (west, north, east, south), as
  // the Map Area menu draws them; Margaritifer Terra, Lomonosov, Kunowsky
  // and Newton have none and are placed by hand.
  auto centre = [](const char* name, Kind kind, double west, double north, double east, double south) {
    double longitude = (west + east) / 2;
    if (longitude > 180) longitude -= 360;
    return AnnotatedFeature{name, kind, longitude, (north + south) / 2};
  };
  static const std::vector<AnnotatedFeature> features = {
      // Plains, regions and volcanoes.
      centre("Arcadia Planitia", Kind::Region, 160, 54, 220, 20),
      centre("Amazonis Planitia", Kind::Region, -175, 43, -140, -3),
      centre("Alba Patera", Kind::Volcano, -131, 49, -93, 16),
      centre("Olympus Mons", Kind::Volcano, -150, 30, -120, 2),
      centre("Ascraeus Mons", Kind::Volcano, -114, 17, -99, 5),
      centre("Pavonis Mons", Kind::Volcano, -118, 5, -108, -4),
      centre("Arsia Mons", Kind::Volcano, -127, -2, -114, -17),
      centre("Daedalia Planum", Kind::Region, -150, -3, -105, -45),
      centre("Acidalia Planitia", Kind::Region, -60, 58, 0, 32),
      centre("Chryse Planitia", Kind::Region, -55, 41, -27, 10),
      {"Margaritifer Terra", Kind::Region, -25.0, -4.9},
      centre("Argyre Planitia", Kind::Region, -62, -32, -26, -65),
      centre("Arabia Terra", Kind::Region, -28, 59, 59, 15),
      centre("Syrtis Major Planitia", Kind::Region, 50, 30, 80, -10),
      centre("Isidis Planitia", Kind::Region, 75, 28, 100, 0),
      centre("Utopia Planitia", Kind::Region, 60, 60, 150, 10),
      centre("Elysium Mons", Kind::Volcano, 125, 35, 165, 10),
      centre("Elysium Planitia", Kind::Region, 85, 28, 155, -3),
      centre("Tyrrhena Terra", Kind::Region, 70, 3, 105, -29),
      centre("Hellas Planitia", Kind::Region, 40, -20, 100, -60),
      centre("Noachis Terra", Kind::Region, -32, -20, 32, -60),
      centre("Promethei Terra", Kind::Region, 85, -30, 130, -60),
      centre("Terra Cimmeria", Kind::Region, 125, -12, 180, -58),
      // Craters.
      {"Lomonosov", Kind::Crater, -9.3, 65.3},
      {"Kunowsky", Kind::Crater, -9.7, 56.8},
      centre("Lyot", Kind::Crater, 25, 53, 34, 47),
      centre("Cassini", Kind::Crater, 26, 29, 38, 18),
      centre("Tikhonravov", Kind::Crater, 32, 17, 40, 9),
      centre("Schiaparelli", Kind::Crater, 7, 6, 25, -12),
      centre("Huygens", Kind::Crater, 51, -9, 60, -18),
      centre("Herschel", Kind::Crater, 125, -11, 135, -19),
      {"Newton", Kind::Crater, -158.1, -40.8},
      centre("Copernicus", Kind::Crater, -175, -45, -165, -55),
      centre("Lowell", Kind::Crater, -85, -50, -78, -54),
      centre("Galle", Kind::Crater, -35, -46, -25, -55),
      centre("Darwin", Kind::Crater, -23, -55, -16, -60),
      // Valleys.
      centre("Kasei Vallis", Kind::Valley, -82, 29, -53, -2),
      centre("Ares Vallis", Kind::Valley, -40, 22, -13, -5),
      centre("Valles Marineris", Kind::Valley, -120, 5, -20, -25),
      centre("Nirgal Vallis", Kind::Valley, -47, -24, -36, -33),
      centre("Niger Vallis", Kind::Valley, 80, -32, 98, -47),
  };
  return features;
}

QFont annotatedLabelFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Nimbus Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  font.setPixelSize(12);
  font.setBold(true);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

QFont annotatedNumberFont() {
  QFont font = annotatedLabelFont();
  font.setPixelSize(15);
  return font;
}

AnnotatedLayout annotatedLayout() {
  AnnotatedLayout layout;
  const QRectF picture(0, 0, kAnnotatedWidth, kAnnotatedHeight);
  const QFont numberFont = annotatedNumberFont();
  for (int t = 0; t < 16; ++t) {
    const QRectF glyphs = textPath(QString::number(t + 1), numberFont).boundingRect();
    const QPointF corner(kTileColumnWidth * (t % 4) + 4, kTileTop + kTileRowHeight * (t / 4) + 4);
    layout.tileNumbers.push_back(QRectF(corner, glyphs.size()).adjusted(-kHalo, -kHalo, kHalo, kHalo));
  }

  std::vector<QRectF> taken = layout.tileNumbers;
  // Marks first: they cannot move. Then the marked names, which must stay
  // by their marks, then the rest.
  const auto& features = annotatedFeatures();
  std::vector<QRectF> marks(features.size());
  for (std::size_t i = 0; i < features.size(); ++i) {
    if (!hasMark(features[i].kind)) continue;
    const QPointF anchor = picturePoint(features[i].longitude, features[i].latitude, kAnnotatedWidth, kAnnotatedHeight);
    marks[i] = QRectF(anchor - QPointF(kMarkRadius + 1, kMarkRadius + 1),
                      QSizeF(2 * kMarkRadius + 2, 2 * kMarkRadius + 2));
    taken.push_back(marks[i]);
  }
  std::vector<std::size_t> order(features.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_partition(order.begin(), order.end(), [&](std::size_t i) { return hasMark(features[i].kind); });

  const QFont font = annotatedLabelFont();
  layout.labels.resize(features.size());
  for (std::size_t i : order) {
    const AnnotatedFeature& feature = features[i];
    const QString text = QString::fromUtf8(feature.name);
    const QPointF anchor = picturePoint(feature.longitude, feature.latitude, kAnnotatedWidth, kAnnotatedHeight);
    const QSizeF size = textPath(text, font).boundingRect().size() + QSizeF(2 * kHalo, 2 * kHalo);
    bool placed = false;
    // Off the tile lines if there is room, else across one.
    for (const bool offLines : {true, false}) {
      for (const QPointF& centre : candidateCentres(anchor, size, hasMark(feature.kind))) {
        QRectF box(QPointF(), size);
        box.moveCenter(centre);
        // Whole pixels, so that the picture is the same wherever it is made.
        box.moveTopLeft(QPointF(std::round(box.left()), std::round(box.top())));
        if (!picture.contains(box) || overlapsAny(box, taken) || (offLines && crossesTileLine(box))) continue;
        layout.labels[i] = PlacedLabel{text, colourOf(feature.kind), anchor, box, marks[i]};
        taken.push_back(box);
        placed = true;
        break;
      }
      if (placed) break;
    }
    if (!placed) throw std::runtime_error("no free place on the annotated map for " + text.toStdString());
  }
  return layout;
}

QImage annotatedMap(const demo::GlobalGrid& grid) {
  ReliefStyle style;
  style.scheme = 0;  // Brown Relief: the names read well over it
  style.mode = 1;
  QImage map = reliefPicture(grid, kAnnotatedWidth, kAnnotatedHeight, style);
  const AnnotatedLayout layout = annotatedLayout();

  QPainter painter(&map);
  painter.setRenderHint(QPainter::Antialiasing);
  // North of 88 N and south of 88 S no tile reaches: shown dimmed.
  painter.fillRect(QRect(0, 0, kAnnotatedWidth, kTileTop), QColor(0, 0, 0, 110));
  painter.fillRect(QRect(0, kTileTop + 4 * kTileRowHeight, kAnnotatedWidth, kAnnotatedHeight), QColor(0, 0, 0, 110));

  // Tile lines, one pixel wide, on the first pixel row or column of the
  // tile to the south or east.
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  for (int r = 0; r <= 4; ++r) {
    painter.fillRect(QRect(0, kTileTop + r * kTileRowHeight, kAnnotatedWidth, 1), Qt::white);
  }
  for (int c = 1; c < 4; ++c) {
    painter.fillRect(QRect(c * kTileColumnWidth, kTileTop, 1, 4 * kTileRowHeight), Qt::white);
  }
  painter.setRenderHint(QPainter::Antialiasing);

  auto drawText = [&](const QString& text, const QFont& font, const QRectF& box, const QColor& colour,
                      const QColor& halo) {
    QPainterPath path = textPath(text, font);
    const QRectF glyphs = path.boundingRect();
    path.translate(box.topLeft() + QPointF(kHalo, kHalo) - glyphs.topLeft());
    painter.strokePath(path, QPen(halo, 2 * kHalo - 0.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, colour);
  };

  const QFont numberFont = annotatedNumberFont();
  for (int t = 0; t < 16; ++t) {
    drawText(QString::number(t + 1), numberFont, layout.tileNumbers[std::size_t(t)], Qt::white, QColor(0, 0, 0, 170));
  }

  const QColor halo(255, 255, 255, 200);
  const QFont font = annotatedLabelFont();
  for (const PlacedLabel& label : layout.labels) {
    if (!label.mark.isEmpty()) {
      const QPointF c = label.anchor;
      if (label.colour == kCraterColour) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(halo, 3.5));
        painter.drawEllipse(c, kMarkRadius - 1, kMarkRadius - 1);
        painter.setPen(QPen(label.colour, 1.6));
        painter.drawEllipse(c, kMarkRadius - 1, kMarkRadius - 1);
      } else {
        QPainterPath triangle;
        triangle.moveTo(c + QPointF(0, -kMarkRadius));
        triangle.lineTo(c + QPointF(kMarkRadius, kMarkRadius - 1));
        triangle.lineTo(c + QPointF(-kMarkRadius, kMarkRadius - 1));
        triangle.closeSubpath();
        painter.strokePath(triangle, QPen(halo, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.fillPath(triangle, label.colour);
      }
    }
    drawText(label.text, font, label.box, label.colour, halo);
  }
  painter.end();
  return map;
}

void buildAnnotatedMap(const AssetContext& context) {
  std::filesystem::create_directories(context.out / "pictures");
  saveImage(annotatedMap(context.grid), context.out / "pictures" / "annotated-tiles.jpg", 92);
}

}  // namespace tarvelon::assets
