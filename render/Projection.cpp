#include "render/Projection.h"

#include <proj.h>
#include <proj_experimental.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "render/Hillshade.h"

namespace tarvelon {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadian = kPi / 180;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A number for a PROJ definition: as short as it is exact, never with an
// exponent.
std::string number(double value) {
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return std::string(text, result.ptr);
}

std::string degreesText(double value, char positive, char negative) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", std::fabs(value));
  std::string shown = text;
  while (shown.back() == '0') shown.pop_back();
  if (shown.back() == '.') shown.pop_back();
  if (shown == "0" || (shown == "180" && positive == 'E')) return shown + "°";
  return shown + "°" + std::string(1, value < 0 ? negative : positive);
}

// A longitude as -180 .. 180.
double wrapped(double longitude) {
  double l = std::fmod(longitude + 180, 360);
  if (l < 0) l += 360;
  return l - 180;
}

}  // namespace

const char* projectionKeyword(ProjectionKind kind) {
  switch (kind) {
    case ProjectionKind::Equirectangular: return "equirectangular";
    case ProjectionKind::NorthPolar: return "north-polar";
    case ProjectionKind::SouthPolar: return "south-polar";
    case ProjectionKind::Globe: return "globe";
  }
  return "";
}

std::optional<ProjectionKind> projectionOfKeyword(const std::string& word) {
  for (const ProjectionKind kind : {ProjectionKind::Equirectangular, ProjectionKind::NorthPolar,
                                    ProjectionKind::SouthPolar, ProjectionKind::Globe}) {
    if (word == projectionKeyword(kind)) return kind;
  }
  return std::nullopt;
}

std::string projectionName(const MapProjection& projection) {
  switch (projection.kind) {
    case ProjectionKind::Equirectangular: return "simple cylindrical";
    case ProjectionKind::NorthPolar: return "north polar stereographic";
    case ProjectionKind::SouthPolar: return "south polar stereographic";
    case ProjectionKind::Globe:
      return "orthographic (globe) centred on " + degreesText(projection.centreLongitude, 'E', 'W') + ", " +
             degreesText(projection.centreLatitude, 'N', 'S');
  }
  return "";
}

std::string projString(const MapProjection& projection) {
  const std::string sphere = " +x_0=0 +y_0=0 +R=" + number(kMarsRadius) + " +units=m +no_defs";
  switch (projection.kind) {
    case ProjectionKind::Equirectangular: return "+proj=longlat +R=" + number(kMarsRadius) + " +no_defs";
    case ProjectionKind::NorthPolar:
      return "+proj=stere +lat_0=90 +lon_0=" + number(projection.centreLongitude) + " +k=1" + sphere;
    case ProjectionKind::SouthPolar:
      return "+proj=stere +lat_0=-90 +lon_0=" + number(projection.centreLongitude) + " +k=1" + sphere;
    case ProjectionKind::Globe:
      return "+proj=ortho +lat_0=" + number(projection.centreLatitude) +
             " +lon_0=" + number(projection.centreLongitude) + sphere;
  }
  return "";
}

namespace {

// A PROJ context of its own, quiet: a point off the planet is an answer,
// not a message on the terminal.
struct Context {
  PJ_CONTEXT* context = proj_context_create();
  Context() { proj_log_level(context, PJ_LOG_NONE); }
  ~Context() { proj_context_destroy(context); }
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;
};

// Objects of a context, destroyed with it.
struct Objects {
  std::vector<PJ*> held;
  ~Objects() {
    for (PJ* p : held) proj_destroy(p);
  }
  PJ* keep(PJ* p, const char* what) {
    if (p == nullptr) throw std::runtime_error(std::string("PROJ could not make ") + what);
    held.push_back(p);
    return p;
  }
};

}  // namespace

std::string projectedCrsWkt(const MapProjection& projection, bool esri) {
  if (!projection.projected()) throw std::invalid_argument("simple cylindrical maps are in geographic coordinates");
  Context ctx;
  Objects objects;
  PJ_CONTEXT* c = ctx.context;
  PJ* geographic = objects.keep(proj_create_from_database(c, "ESRI", "104971", PJ_CATEGORY_CRS, 0, nullptr),
                                "the Mars 2000 sphere (ESRI:104971)");
  PJ* conversion = nullptr;
  std::string name;
  switch (projection.kind) {
    case ProjectionKind::NorthPolar:
    case ProjectionKind::SouthPolar: {
      const bool north = projection.kind == ProjectionKind::NorthPolar;
      conversion = proj_create_conversion_polar_stereographic_variant_a(
          c, north ? 90 : -90, projection.centreLongitude, 1, 0, 0, "Degree", kRadian, "metre", 1);
      name = north ? "Mars 2000 North Polar Stereographic" : "Mars 2000 South Polar Stereographic";
      break;
    }
    case ProjectionKind::Globe:
      conversion = proj_create_conversion_orthographic(c, projection.centreLatitude, projection.centreLongitude, 0, 0,
                                                       "Degree", kRadian, "metre", 1);
      name = "Mars 2000 Orthographic";
      break;
    case ProjectionKind::Equirectangular: break;
  }
  objects.keep(conversion, "the projection");
  PJ* axes = objects.keep(proj_create_cartesian_2D_cs(c, PJ_CART2D_EASTING_NORTHING, "metre", 1), "the axes");
  PJ* crs = objects.keep(proj_create_projected_crs(c, name.c_str(), geographic, conversion, axes), "the CRS");
  const char* options[] = {"MULTILINE=NO", nullptr};
  const char* wkt = proj_as_wkt(c, crs, esri ? PJ_WKT1_ESRI : PJ_WKT2_2019, options);
  if (wkt == nullptr) throw std::runtime_error("PROJ could not write the CRS of a " + projectionName(projection) + " map");
  return wkt;
}

double projectionScale(const MapProjection& projection, double latitude) {
  const double s = std::sin(latitude * kRadian);
  switch (projection.kind) {
    case ProjectionKind::NorthPolar: return 2 / (1 + s);
    case ProjectionKind::SouthPolar: return 2 / (1 - s);
    case ProjectionKind::Globe:
    case ProjectionKind::Equirectangular: return 1;
  }
  return 1;
}

struct Projector::Handles {
  Context ctx;
  PJ* operation = nullptr;
  ~Handles() {
    if (operation != nullptr) proj_destroy(operation);
  }
};

Projector::Projector(const MapProjection& projection) : projection_(projection), handles_(std::make_unique<Handles>()) {
  const std::string definition = projString(projection);
  handles_->operation = proj_create(handles_->ctx.context, definition.c_str());
  if (handles_->operation == nullptr) throw std::runtime_error("PROJ does not take " + definition);
}

Projector::~Projector() = default;

void Projector::forward(double* longitudeToX, double* latitudeToY, int count) const {
  if (!projection_.projected()) return;
  for (int i = 0; i < count; ++i) {
    longitudeToX[i] *= kRadian;
    latitudeToY[i] *= kRadian;
  }
  proj_trans_generic(handles_->operation, PJ_FWD, longitudeToX, sizeof(double), std::size_t(count), latitudeToY,
                     sizeof(double), std::size_t(count), nullptr, 0, 0, nullptr, 0, 0);
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(longitudeToX[i]) || !std::isfinite(latitudeToY[i]) || std::fabs(longitudeToX[i]) > 1e30 ||
        std::fabs(latitudeToY[i]) > 1e30) {
      longitudeToX[i] = latitudeToY[i] = kNaN;
    }
  }
  proj_errno_reset(handles_->operation);
}

void Projector::inverse(double* xToLongitude, double* yToLatitude, int count) const {
  if (!projection_.projected()) return;
  proj_trans_generic(handles_->operation, PJ_INV, xToLongitude, sizeof(double), std::size_t(count), yToLatitude,
                     sizeof(double), std::size_t(count), nullptr, 0, 0, nullptr, 0, 0);
  for (int i = 0; i < count; ++i) {
    if (!std::isfinite(xToLongitude[i]) || !std::isfinite(yToLatitude[i]) || std::fabs(xToLongitude[i]) > 10 ||
        std::fabs(yToLatitude[i]) > 10) {
      xToLongitude[i] = yToLatitude[i] = kNaN;
    } else {
      xToLongitude[i] /= kRadian;
      yToLatitude[i] /= kRadian;
    }
  }
  proj_errno_reset(handles_->operation);
}

const Projector& projectorFor(const MapProjection& projection) {
  // A few, so that a caller holding one while asking for another keeps it.
  thread_local std::vector<std::unique_ptr<Projector>> held;
  for (const auto& p : held) {
    if (p->projection() == projection) return *p;
  }
  if (held.size() == 4) held.erase(held.begin());
  held.push_back(std::make_unique<Projector>(projection));
  return *held.back();
}

bool GeoBounds::contains(double longitude, double latitude) const {
  if (!(latitude >= south && latitude <= north)) return false;
  if (wholeRound()) return std::isfinite(longitude);
  double d = std::fmod(longitude - west, 360.0);
  if (d < 0) d += 360;
  return d <= east - west;
}

double ProjectedFrame::kilometresPerPixelAtCentre() const {
  const std::optional<GeoPoint> middle = centre();
  const double latitude = middle ? middle->latitude : projection.centreLatitude;
  return pixelSize / projectionScale(projection, latitude) / 1000;
}

std::optional<GeoPoint> ProjectedFrame::centre() const {
  double x = west + width * pixelSize / 2;
  double y = north - height * pixelSize / 2;
  projectorFor(projection).inverse(&x, &y, 1);
  if (std::isnan(x)) return std::nullopt;
  return GeoPoint{x, y};
}

std::optional<GeoPoint> ProjectedFrame::pointAt(double px, double py) const {
  double x = west + px * pixelSize;
  double y = north - py * pixelSize;
  projectorFor(projection).inverse(&x, &y, 1);
  if (std::isnan(x) || !bounds.contains(x, y)) return std::nullopt;
  return GeoPoint{x, y};
}

std::optional<std::pair<double, double>> ProjectedFrame::pixelOf(double longitude, double latitude) const {
  double x = longitude;
  double y = latitude;
  projectorFor(projection).forward(&x, &y, 1);
  if (std::isnan(x)) return std::nullopt;
  return std::make_pair((x - west) / pixelSize, (north - y) / pixelSize);
}

std::string projectionProblem(ProjectionKind kind, const GeoBounds& bounds) {
  auto latitude = [](double value) { return degreesText(value, 'N', 'S'); };
  if (kind == ProjectionKind::NorthPolar && bounds.south < 0) {
    return "a north polar map shows places north of the equator; this area reaches " + latitude(bounds.south);
  }
  if (kind == ProjectionKind::SouthPolar && bounds.north > 0) {
    return "a south polar map shows places south of the equator; this area reaches " + latitude(bounds.north);
  }
  return "";
}

std::vector<double> polarExtent(ProjectionKind kind, const GeoBounds& bounds, double centreLongitude) {
  // The outline, finely: the extreme points of a region lie on its edge.
  constexpr int kSteps = 720;
  std::vector<double> x, y;
  const double east = std::min(bounds.east, bounds.west + 360);
  for (int i = 0; i <= kSteps; ++i) {
    const double t = double(i) / kSteps;
    const double longitude = bounds.west + (east - bounds.west) * t;
    const double latitude = bounds.south + (bounds.north - bounds.south) * t;
    for (const auto& [lon, lat] : {std::pair{longitude, bounds.north}, std::pair{longitude, bounds.south},
                                   std::pair{bounds.west, latitude}, std::pair{east, latitude}}) {
      x.push_back(lon);
      y.push_back(lat);
    }
  }
  const Projector& projector = projectorFor(MapProjection{kind, centreLongitude, 0});
  projector.forward(x.data(), y.data(), static_cast<int>(x.size()));
  double west = INFINITY, north = -INFINITY, eastX = -INFINITY, south = INFINITY;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (std::isnan(x[i])) continue;
    west = std::min(west, x[i]);
    eastX = std::max(eastX, x[i]);
    south = std::min(south, y[i]);
    north = std::max(north, y[i]);
  }
  return {west, north, eastX, south};
}

ProjectedFrame polarFrame(ProjectionKind kind, const GeoBounds& bounds, double pixelSize, double centreLongitude) {
  const std::vector<double> e = polarExtent(kind, bounds, centreLongitude);
  ProjectedFrame frame;
  frame.projection = MapProjection{kind, centreLongitude, kind == ProjectionKind::NorthPolar ? 90.0 : -90.0};
  frame.pixelSize = pixelSize;
  // A hair's breadth over a whole number of pixels is that number.
  frame.width = std::max(1, static_cast<int>(std::ceil((e[2] - e[0]) / pixelSize - 1e-6)));
  frame.height = std::max(1, static_cast<int>(std::ceil((e[1] - e[3]) / pixelSize - 1e-6)));
  frame.west = (e[0] + e[2]) / 2 - frame.width * pixelSize / 2;
  frame.north = (e[1] + e[3]) / 2 + frame.height * pixelSize / 2;
  frame.bounds = bounds;
  return frame;
}

ProjectedFrame polarFrameAround(ProjectionKind kind, GeoPoint centre, double width, double height, double pixelSize) {
  ProjectedFrame frame;
  frame.projection = MapProjection{kind, 0, kind == ProjectionKind::NorthPolar ? 90.0 : -90.0};
  frame.pixelSize = pixelSize;
  double x = centre.longitude, y = centre.latitude;
  projectorFor(frame.projection).forward(&x, &y, 1);
  // Odd counts of pixels, so that one lies on the centre.
  frame.width = 2 * static_cast<int>(std::ceil(width / pixelSize / 2 - 1e-6)) + 1;
  frame.height = 2 * static_cast<int>(std::ceil(height / pixelSize / 2 - 1e-6)) + 1;
  frame.west = x - frame.width * pixelSize / 2;
  frame.north = y + frame.height * pixelSize / 2;
  frame.bounds = kind == ProjectionKind::NorthPolar ? GeoBounds{-180, 180, 90, 0} : GeoBounds{-180, 180, 0, -90};
  return frame;
}

ProjectedFrame globeFrame(GeoPoint centre, int size) {
  ProjectedFrame frame;
  frame.projection = MapProjection{ProjectionKind::Globe, wrapped(centre.longitude), centre.latitude};
  frame.pixelSize = 2 * kMarsRadius / size;
  frame.width = frame.height = size;
  frame.west = -kMarsRadius;
  frame.north = kMarsRadius;
  return frame;
}

ProjectionKind automaticProjection(const GeoBounds& bounds) {
  if (bounds.south >= 60) return ProjectionKind::NorthPolar;
  if (bounds.north <= -60) return ProjectionKind::SouthPolar;
  return ProjectionKind::Equirectangular;
}

// --- PixelLocator ---------------------------------------------------------

PixelLocator::PixelLocator(const ProjectedFrame& frame, const GridSpec& grid)
    : frame_(frame), grid_(grid), projector_(frame.projection) {
  blocksAcross_ = std::max(1, (frame.width + block_ - 1) / block_);
  topLon_.resize(std::size_t(blocksAcross_) + 1);
  topLat_.resize(topLon_.size());
  bottomLon_.resize(topLon_.size());
  bottomLat_.resize(topLon_.size());
  exact_.resize(std::size_t(blocksAcross_));
}

namespace {

// The bilinear point of a block at (u, v) in 0 .. 1 from its corners,
// longitudes taken within half a turn of the first.
struct Corners {
  double lon[4];  // top left, top right, bottom left, bottom right
  double lat[4];
  bool valid = true;
  void at(double u, double v, double& lon_, double& lat_) const {
    const double top = lon[0] + (lon[1] - lon[0]) * u;
    const double bottom = lon[2] + (lon[3] - lon[2]) * u;
    lon_ = top + (bottom - top) * v;
    const double topLat = lat[0] + (lat[1] - lat[0]) * u;
    const double bottomLat = lat[2] + (lat[3] - lat[2]) * u;
    lat_ = topLat + (bottomLat - topLat) * v;
  }
};

double nearTurn(double longitude, double reference) {
  while (longitude - reference > 180) longitude -= 360;
  while (longitude - reference < -180) longitude += 360;
  return longitude;
}

}  // namespace

void PixelLocator::prepareBand(int band) {
  const int n = blocksAcross_ + 1;
  const int y0 = band * block_;
  auto edge = [&](int y, std::vector<double>& lon, std::vector<double>& lat) {
    for (int i = 0; i < n; ++i) {
      lon[std::size_t(i)] = frame_.centreX(double(i) * block_);
      lat[std::size_t(i)] = frame_.centreY(y);
    }
    projector_.inverse(lon.data(), lat.data(), n);
  };
  if (band == band_ + 1 && band_ >= 0) {
    std::swap(topLon_, bottomLon_);
    std::swap(topLat_, bottomLat_);
  } else {
    edge(y0, topLon_, topLat_);
  }
  edge(y0 + block_, bottomLon_, bottomLat_);
  band_ = band;

  // The checks: each block's middle and the middles of its top and left
  // edges (its bottom and right edges are those of the blocks below and
  // beside it, checked there). An interpolated point must lie within
  // kSampleTolerance of a sample of PROJ's point, along lines and along
  // columns, so that it falls in the same sample but where PROJ's point is
  // that close to a sample's edge; and, projected back onto the plane,
  // within 0.08 of a pixel of the point it stands for.
  constexpr int kCheckCount = 3;
  constexpr double kChecks[kCheckCount][2] = {{0.5, 0.5}, {0.5, 0}, {0, 0.5}};
  const std::size_t checks = std::size_t(blocksAcross_) * kCheckCount;
  std::vector<double> planeX(checks), planeY(checks), lon(checks), lat(checks), exactLon(checks), exactLat(checks);
  std::vector<char> usable(std::size_t(blocksAcross_), 1);
  for (int b = 0; b < blocksAcross_; ++b) {
    const std::size_t i = std::size_t(b);
    Corners c;
    const double lons[4] = {topLon_[i], topLon_[i + 1], bottomLon_[i], bottomLon_[i + 1]};
    const double lats[4] = {topLat_[i], topLat_[i + 1], bottomLat_[i], bottomLat_[i + 1]};
    for (int k = 0; k < 4; ++k) {
      if (std::isnan(lons[k])) usable[i] = 0;
      c.lon[k] = usable[i] ? nearTurn(lons[k], lons[0]) : 0;
      c.lat[k] = lats[k];
    }
    for (int k = 0; k < kCheckCount; ++k) {
      const std::size_t n = i * kCheckCount + std::size_t(k);
      planeX[n] = exactLon[n] = frame_.centreX(double(b * block_) + kChecks[k][0] * block_);
      planeY[n] = exactLat[n] = frame_.centreY(double(y0) + kChecks[k][1] * block_);
      c.at(kChecks[k][0], kChecks[k][1], lon[n], lat[n]);
      lon[n] = wrapped(lon[n]);
    }
  }
  projector_.inverse(exactLon.data(), exactLat.data(), static_cast<int>(checks));
  const std::vector<double> interpolatedLon = lon, interpolatedLat = lat;
  projector_.forward(lon.data(), lat.data(), static_cast<int>(checks));
  const double planeTolerance = 0.08 * frame_.pixelSize;
  const double sampleTolerance = kSampleTolerance / grid_.perDegree;  // degrees
  for (int b = 0; b < blocksAcross_; ++b) {
    const std::size_t i = std::size_t(b);
    bool good = usable[i] != 0;
    for (int k = 0; k < kCheckCount && good; ++k) {
      const std::size_t n = i * kCheckCount + std::size_t(k);
      // NaN (a point the globe does not show) fails too.
      const double dLon = std::fabs(nearTurn(interpolatedLon[n], exactLon[n]) - exactLon[n]);
      const double dLat = std::fabs(interpolatedLat[n] - exactLat[n]);
      if (!(dLon <= sampleTolerance && dLat <= sampleTolerance)) good = false;
      if (!(std::hypot(lon[n] - planeX[n], lat[n] - planeY[n]) <= planeTolerance)) good = false;
    }
    exact_[i] = good ? 0 : 1;
    (good ? interpolatedBlocks_ : exactBlocks_) += 1;
  }
}

void PixelLocator::points(int y, double* longitudes, double* latitudes) {
  const int band = y >= 0 ? y / block_ : -((-y + block_ - 1) / block_);
  if (band != band_) prepareBand(band);
  const double v = double(y - band * block_) / block_;
  const int width = frame_.width;
  rowX_.clear();
  rowY_.clear();
  for (int b = 0; b < blocksAcross_; ++b) {
    const int x0 = b * block_;
    const int x1 = std::min(width, x0 + block_);
    const std::size_t i = std::size_t(b);
    if (exact_[i]) {
      for (int x = x0; x < x1; ++x) {
        rowX_.push_back(frame_.centreX(x));
        rowY_.push_back(frame_.centreY(y));
      }
      continue;
    }
    const double base = topLon_[i];
    const double leftLon = base + (nearTurn(bottomLon_[i], base) - base) * v;
    const double rightTop = nearTurn(topLon_[i + 1], base);
    const double rightLon = rightTop + (nearTurn(bottomLon_[i + 1], base) - rightTop) * v;
    const double leftLat = topLat_[i] + (bottomLat_[i] - topLat_[i]) * v;
    const double rightLat = topLat_[i + 1] + (bottomLat_[i + 1] - topLat_[i + 1]) * v;
    const double dLon = (rightLon - leftLon) / block_;
    const double dLat = (rightLat - leftLat) / block_;
    for (int x = x0; x < x1; ++x) {
      longitudes[x] = leftLon + dLon * (x - x0);
      latitudes[x] = leftLat + dLat * (x - x0);
    }
  }
  if (!rowX_.empty()) {
    projector_.inverse(rowX_.data(), rowY_.data(), static_cast<int>(rowX_.size()));
    std::size_t k = 0;
    for (int b = 0; b < blocksAcross_; ++b) {
      if (!exact_[std::size_t(b)]) continue;
      for (int x = b * block_; x < std::min(width, b * block_ + block_); ++x, ++k) {
        longitudes[x] = rowX_[k];
        latitudes[x] = rowY_[k];
      }
    }
  }
  for (int x = 0; x < width; ++x) {
    if (!frame_.bounds.contains(longitudes[x], latitudes[x])) longitudes[x] = latitudes[x] = kNaN;
  }
}

void PixelLocator::locate(int y, GridIndex* out) {
  const int width = frame_.width;
  lon_.resize(std::size_t(width));
  lat_.resize(std::size_t(width));
  points(y, lon_.data(), lat_.data());
  for (int x = 0; x < width; ++x) out[x] = indexIn(grid_, lon_[std::size_t(x)], lat_[std::size_t(x)]);
}

}  // namespace tarvelon
