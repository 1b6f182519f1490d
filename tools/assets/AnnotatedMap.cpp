#include "tools/assets/AnnotatedMap.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "select/Gazetteer.h"
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
  // Each name sits at the centre of its gazetteer rectangle (west, north,
  // east, south), the area the Map Area menu draws for it, found by the
  // menu's caption; Margaritifer Terra, Lomonosov, Kunowsky and Newton are
  // not in the gazetteer and are placed by hand.
  struct Entry {
    const char* name;
    Kind kind;
    const char* caption;  // in the gazetteer, spelt as there; or nullptr
    double longitude = 0;  // by hand, without a caption
    double latitude = 0;
  };
  static const Entry kEntries[] = {
      // Plains, regions and volcanoes.
      {"Arcadia Planitia", Kind::Region, "Arcadia"},
      {"Amazonis Planitia", Kind::Region, "Amazonis"},
      {"Alba Patera", Kind::Volcano, "Alba Patera"},
      {"Olympus Mons", Kind::Volcano, "Olympus Mons"},
      {"Ascraeus Mons", Kind::Volcano, "Ascraeus Mons"},
      {"Pavonis Mons", Kind::Volcano, "Pavonis Mons"},
      {"Arsia Mons", Kind::Volcano, "Arsia Mons"},
      {"Daedalia Planum", Kind::Region, "Daedalia Planum"},
      {"Acidalia Planitia", Kind::Region, "Acidalia"},
      {"Chryse Planitia", Kind::Region, "Chryse"},
      {"Margaritifer Terra", Kind::Region, nullptr, -25.0, -4.9},
      {"Argyre Planitia", Kind::Region, "Argyre"},
      {"Arabia Terra", Kind::Region, "Arabia Terra"},
      {"Syrtis Major Planitia", Kind::Region, "Syrtis Major"},
      {"Isidis Planitia", Kind::Region, "Isidis"},
      {"Utopia Planitia", Kind::Region, "Utopia"},
      {"Elysium Mons", Kind::Volcano, "Elysium Mons"},
      {"Elysium Planitia", Kind::Region, "Elysium"},
      {"Tyrrhena Terra", Kind::Region, "Tyrrhenia Terra"},
      {"Hellas Planitia", Kind::Region, "Hellas"},
      {"Noachis Terra", Kind::Region, "Noachis Terra"},
      {"Promethei Terra", Kind::Region, "Promethei Terra"},
      {"Terra Cimmeria", Kind::Region, "Terra Cimmeria"},
      // Craters.
      {"Lomonosov", Kind::Crater, nullptr, -9.3, 65.3},
      {"Kunowsky", Kind::Crater, nullptr, -9.7, 56.8},
      {"Lyot", Kind::Crater, "Lyot"},
      {"Cassini", Kind::Crater, "Cassini"},
      {"Tikhonravov", Kind::Crater, "Tikhonravov"},
      {"Schiaparelli", Kind::Crater, "Schiaperelli"},
      {"Huygens", Kind::Crater, "Huygens"},
      {"Herschel", Kind::Crater, "Herschell"},
      {"Newton", Kind::Crater, nullptr, -158.1, -40.8},
      {"Copernicus", Kind::Crater, "Copernicus"},
      {"Lowell", Kind::Crater, "Lowell"},
      {"Galle", Kind::Crater, "Galle"},
      {"Darwin", Kind::Crater, "Darwin"},
      // Valleys.
      {"Kasei Valles", Kind::Valley, "Kasei Valles"},
      {"Ares Vallis", Kind::Valley, "Ares Vallis"},
      {"Valles Marineris", Kind::Valley, "Valles Marineris"},
      {"Nirgal Vallis", Kind::Valley, "Nirgal Vallis"},
      {"Niger Vallis", Kind::Valley, "Niger Vallis"},
  };
  static const std::vector<AnnotatedFeature> features = [] {
    std::vector<AnnotatedFeature> list;
    for (const Entry& entry : kEntries) {
      if (entry.caption == nullptr) {
        list.push_back({entry.name, entry.kind, entry.longitude, entry.latitude});
        continue;
      }
      const std::vector<const FeatureRow*> rows = featuresNamed(entry.caption);
      if (rows.size() != 1) {
        throw std::logic_error(std::string("the gazetteer has ") + std::to_string(rows.size()) + " features called " +
                               entry.caption);
      }
      list.push_back({entry.name, entry.kind, gazetteerLongitude(*rows.front()), gazetteerLatitude(*rows.front())});
    }
    return list;
  }();
  return features;
}

double gazetteerLongitude(const FeatureRow& row) {
  // East may pass 180 (Arcadia: 160 .. 220); the centre is then west of it.
  double longitude = (row.west + row.east) / 2.0;
  if (longitude > 180) longitude -= 360;
  return longitude;
}

double gazetteerLatitude(const FeatureRow& row) { return (row.north + row.south) / 2.0; }

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
