// Map projections of the Mars 2000 sphere through PROJ: simple
// cylindrical (the maps drawn tile by tile and area by area), north and
// south polar stereographic, and the orthographic globe. A projected map is
// a grid of square pixels in metres on the projection's plane; each pixel
// shows the sample of the tiles' grid that holds the point at its centre.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dem/ElevationSource.h"
#include "render/GeoTransform.h"

namespace tarvelon {

enum class ProjectionKind { Equirectangular, NorthPolar, SouthPolar, Globe };

struct MapProjection {
  ProjectionKind kind = ProjectionKind::Equirectangular;
  // The globe's centre; for a polar map, the meridian that runs from the
  // pole straight down the map (north) or up it (south).
  double centreLongitude = 0;
  double centreLatitude = 0;
  bool operator==(const MapProjection&) const = default;

  bool projected() const { return kind != ProjectionKind::Equirectangular; }
};

// "equirectangular", "north-polar", "south-polar", "globe": the words of
// the command line.
const char* projectionKeyword(ProjectionKind kind);
std::optional<ProjectionKind> projectionOfKeyword(const std::string& word);

// For people: "north polar stereographic", "orthographic (globe) centred
// on 77.5°E, 12°S", "simple cylindrical".
std::string projectionName(const MapProjection& projection);

// The PROJ definition, spelled out on the sphere of radius 3 396 190 m:
// "+proj=stere +lat_0=90 +lon_0=0 +k=1 +x_0=0 +y_0=0 +R=3396190 +units=m
// +no_defs" and the like.
std::string projString(const MapProjection& projection);

// The projected CRS on the Mars 2000 sphere (ESRI:104971), as PROJ writes
// it: ESRI's WKT 1 for a .prj, WKT 2 for GDAL's .aux.xml. Throws
// std::runtime_error when PROJ cannot make it.
std::string projectedCrsWkt(const MapProjection& projection, bool esri);

// The point scale of the projection at a latitude, on the line from the
// centre (1 at a polar map's pole and at the globe's centre): a length of
// the ground is this many times as long on the plane.
double projectionScale(const MapProjection& projection, double latitude);

// PROJ's forward and inverse projection, many points a call. One object
// per thread; making one parses the definition (about a millisecond).
class Projector {
 public:
  explicit Projector(const MapProjection& projection);  // throws std::runtime_error
  ~Projector();
  Projector(const Projector&) = delete;
  Projector& operator=(const Projector&) = delete;

  const MapProjection& projection() const { return projection_; }

  // Longitudes and latitudes (degrees) in place into x and y (metres); a
  // point the projection cannot show (the far side of the globe) becomes
  // NaN.
  void forward(double* longitudeToX, double* latitudeToY, int count) const;
  // x and y (metres) in place into longitudes (-180 .. 180) and latitudes;
  // a point off the planet (beyond the globe's rim) becomes NaN.
  void inverse(double* xToLongitude, double* yToLatitude, int count) const;

 private:
  MapProjection projection_;
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

// This thread's projector for `projection`, made when first asked for and
// kept while the same projection is asked for again.
const Projector& projectorFor(const MapProjection& projection);

// The part of the planet a projected map shows: pixels whose centre falls
// outside show no sample. East may pass 180 (east - west up to 360).
struct GeoBounds {
  double west = -180;
  double east = 180;
  double north = 90;
  double south = -90;
  bool operator==(const GeoBounds&) const = default;

  bool wholeRound() const { return east - west >= 360; }
  bool contains(double longitude, double latitude) const;
};

// The pixels of a projected map: pixel (x, y) covers
// west + x * pixelSize .. + pixelSize eastwards and
// north - y * pixelSize .. - pixelSize southwards, in metres.
struct ProjectedFrame {
  MapProjection projection;
  double west = 0;
  double north = 0;
  double pixelSize = 0;
  int width = 0;
  int height = 0;
  GeoBounds bounds;
  bool operator==(const ProjectedFrame&) const = default;

  double centreX(double x) const { return west + (x + 0.5) * pixelSize; }
  double centreY(double y) const { return north - (y + 0.5) * pixelSize; }
  // The georeference, in metres (GeoTransform's units are the CRS's).
  GeoTransform transform() const { return GeoTransform{west, north, pixelSize, pixelSize}; }
  // Kilometres of the ground a pixel spans at the map's centre.
  double kilometresPerPixelAtCentre() const;
  // The point at the map's centre; nothing when it is off the planet.
  std::optional<GeoPoint> centre() const;
  // The point under pixel position (x, y) (pixel corners at whole numbers),
  // or nothing off the planet or outside the bounds.
  std::optional<GeoPoint> pointAt(double x, double y) const;
  // Where a point falls, in pixel positions; nothing when the projection
  // cannot show it.
  std::optional<std::pair<double, double>> pixelOf(double longitude, double latitude) const;
};

// Polar maps need an area wholly north of the equator (north polar) or
// south of it; the globe shows the hemisphere about its centre.
// Why `bounds` cannot be drawn in `kind`; empty when it can.
std::string projectionProblem(ProjectionKind kind, const GeoBounds& bounds);

// The polar stereographic map of `bounds` (projectionProblem empty), with
// pixels `pixelSize` metres on a side, just large enough to hold it; its
// pole on the meridian `centreLongitude`.
ProjectedFrame polarFrame(ProjectionKind kind, const GeoBounds& bounds, double pixelSize,
                          double centreLongitude = 0);
// A polar stereographic map `width` x `height` metres on the plane (at
// least), its middle pixel centred on `centre`: the frame round a place.
// It shows its whole hemisphere.
ProjectedFrame polarFrameAround(ProjectionKind kind, GeoPoint centre, double width, double height, double pixelSize);
// The same area's extent on the plane, in metres: west, north, east, south.
std::vector<double> polarExtent(ProjectionKind kind, const GeoBounds& bounds, double centreLongitude = 0);
// The globe centred on `centre`, `size` pixels across its disc.
ProjectedFrame globeFrame(GeoPoint centre, int size);

// The kind `auto` picks for an area: polar stereographic for an area wholly
// poleward of 60 degrees, simple cylindrical otherwise.
ProjectionKind automaticProjection(const GeoBounds& bounds);

// The grid samples under the pixel centres of a frame, a row at a time.
// PROJ gives the exact point at the corners of blocks of 8 x 8 pixels; in
// between, points are interpolated where, at the middle of the block and
// of its edges, the interpolated point lies within 0.02 of a sample
// of PROJ's along lines and columns, and within 0.08 of a pixel of it on
// the map's plane (a tenth of a pixel between the checks). Every pixel of a
// block that fails (near a pole, at the globe's rim, on a globe far smaller
// than the grid) is projected exactly, a row of them a call.
class PixelLocator {
 public:
  // How far, in samples of the grid, an interpolated point may lie from
  // PROJ's: a pixel then shows another sample than PROJ's point would only
  // where that point lies this close to a sample's edge.
  static constexpr double kSampleTolerance = 0.02;

  PixelLocator(const ProjectedFrame& frame, const GridSpec& grid);

  // The samples of row y's pixels (any y, also past the map's edge): a
  // line off the grid (-1) where a pixel shows none.
  void locate(int y, GridIndex* out);
  // The point at each pixel centre of row y, as locate() takes it: NaN off
  // the planet or outside the bounds.
  void points(int y, double* longitudes, double* latitudes);

  // Blocks projected exactly and blocks interpolated so far.
  std::int64_t exactBlocks() const { return exactBlocks_; }
  std::int64_t interpolatedBlocks() const { return interpolatedBlocks_; }

 private:
  void prepareBand(int band);

  ProjectedFrame frame_;
  GridSpec grid_;
  Projector projector_;
  int block_ = 8;  // pixels on a side
  int blocksAcross_ = 0;
  int band_ = -1;  // the band of block rows prepared
  // By block corner of the band's top and bottom edges: longitude
  // (unwrapped within each block as it is used) and latitude.
  std::vector<double> topLon_, topLat_, bottomLon_, bottomLat_;
  std::vector<char> exact_;  // by block of the band
  std::vector<double> rowX_, rowY_;
  std::vector<double> lon_, lat_;
  std::int64_t exactBlocks_ = 0;
  std::int64_t interpolatedBlocks_ = 0;
};

}  // namespace tarvelon
