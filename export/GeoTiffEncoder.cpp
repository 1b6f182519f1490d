// GeoTIFF maps and elevations through libtiff and libgeotiff, strip by
// strip, into a temporary file beside the target.
#include <geotiff/geotiff.h>
#include <geotiff/geovalues.h>
#include <geotiff/xtiffio.h>
#include <dlfcn.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "core/MessageText.h"
#include "export/Encoders.h"
#include "export/FileOutput.h"
#include "render/ColourFunction.h"
#include "render/Hillshade.h"

namespace tarvelon {

namespace {

// libtiff reports its errors through one handler for the whole program;
// the message of the last error goes to the encoder that is writing.
thread_local std::string lastTiffError;
void onTiffError(const char* module, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  lastTiffError = (module != nullptr ? std::string(module) + ": " : std::string()) + text;
}

void quietTiff() {
  static std::once_flag once;
  std::call_once(once, [] {
    TIFFSetErrorHandler(onTiffError);
    TIFFSetWarningHandler(nullptr);
  });
}

// libgeotiff, loaded when the first GeoTIFF is written: linked, it and
// what it needs (PROJ, and through it curl and TLS) would be loaded at every
// start of the programs, at some milliseconds each time.
struct GeoTiffLibrary {
  TIFF* (*clientOpen)(const char*, const char*, thandle_t, TIFFReadWriteProc, TIFFReadWriteProc, TIFFSeekProc,
                      TIFFCloseProc, TIFFSizeProc, TIFFMapFileProc, TIFFUnmapFileProc) = nullptr;
  void (*close)(TIFF*) = nullptr;
  GTIF* (*newKeys)(void*) = nullptr;
  int (*setKey)(GTIF*, geokey_t, tagtype_t, int, ...) = nullptr;
  int (*writeKeys)(GTIF*) = nullptr;
  void (*freeKeys)(GTIF*) = nullptr;
  std::string problem;  // why it could not be loaded
};

template <typename Function>
void find(void* library, const char* name, Function& function, std::string& problem) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  if (function == nullptr && problem.empty()) problem = std::string(name) + " is not in " + TARVELON_GEOTIFF_LIBRARY;
}

const GeoTiffLibrary& geoTiff() {
  static const GeoTiffLibrary loaded = [] {
    GeoTiffLibrary library;
    void* handle = ::dlopen(TARVELON_GEOTIFF_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* why = ::dlerror();
      library.problem = why != nullptr ? why : "cannot load " TARVELON_GEOTIFF_LIBRARY;
      return library;
    }
    find(handle, "XTIFFClientOpen", library.clientOpen, library.problem);
    find(handle, "XTIFFClose", library.close, library.problem);
    find(handle, "GTIFNew", library.newKeys, library.problem);
    find(handle, "GTIFKeySet", library.setKey, library.problem);
    find(handle, "GTIFWriteKeys", library.writeKeys, library.problem);
    find(handle, "GTIFFree", library.freeKeys, library.problem);
    return library;
  }();
  return loaded;
}

// Rows per strip: about 256 KB, as GIS readers like strips.
constexpr std::size_t kStripBytes = std::size_t(256) << 10;
// Elevations outside the colour range are not terrain: they are written as
// this value and marked as nodata.
constexpr std::int16_t kNoData = RowSink::kNoElevation;

class GeoTiffEncoder : public RowEncoder {
 public:
  explicit GeoTiffEncoder(const MapFileSpec& spec) : out_(spec.path), spec_(spec), geo_(geoTiff()) {
    if (!geo_.problem.empty()) fail("GeoTIFF files need libgeotiff (" + geo_.problem + ")");
    quietTiff();
    stride_ = std::size_t(spec.width) * RowSink::bytesPerPixel(spec.content);
    alpha_ = hasAlpha(spec);
    // A row in the file: with an alpha byte after each pixel's colour.
    fileStride_ = alpha_ ? stride_ + std::size_t(spec.width) : stride_;
    rowsPerStrip_ = static_cast<int>(std::clamp<std::size_t>(kStripBytes / fileStride_, 1, std::size_t(spec.height)));
    const std::uint64_t data = std::uint64_t(fileStride_) * std::uint64_t(spec.height);
    const std::uint64_t strips = (std::uint64_t(spec.height) + rowsPerStrip_ - 1) / rowsPerStrip_;
    // Past 4 GB of pixels, strip offsets and tables: a BigTIFF.
    big_ = data + 16 * strips + (1 << 20) > 0xFFFFFFFFull;
    // The pixels follow the header: reserve them, so that a full disk shows
    // now. The directory goes after them at the end.
    out_.file().allocate(static_cast<std::int64_t>(data + (big_ ? 16 : 8)));

    lastTiffError.clear();
    tif_ = geo_.clientOpen(spec.path.c_str(), big_ ? "w8" : "w", this, &read, &write, &seek, &close, &size, &map,
                           &unmap);
    if (tif_ == nullptr) fail("cannot start the TIFF file");
    // GDAL's nodata tag is not one of libtiff's own: an ASCII number.
    static const TIFFFieldInfo nodataField = {TIFFTAG_GDAL_NODATA, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0,
                                              const_cast<char*>("GDALNoDataValue")};
    if (TIFFMergeFieldInfo(tif_, &nodataField, 1) != 0) fail("cannot add the nodata tag");
    const bool colour = spec.content == RowSink::Content::Colour;
    const bool elevation = spec.content == RowSink::Content::Elevation;
    TIFFSetField(tif_, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(spec.width));
    TIFFSetField(tif_, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(spec.height));
    TIFFSetField(tif_, TIFFTAG_SAMPLESPERPIXEL, (colour ? 3 : 1) + (alpha_ ? 1 : 0));
    if (alpha_) {
      const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
      TIFFSetField(tif_, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    TIFFSetField(tif_, TIFFTAG_BITSPERSAMPLE, elevation ? 16 : 8);
    TIFFSetField(tif_, TIFFTAG_SAMPLEFORMAT, elevation ? SAMPLEFORMAT_INT : SAMPLEFORMAT_UINT);
    TIFFSetField(tif_, TIFFTAG_PHOTOMETRIC, colour ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif_, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif_, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(rowsPerStrip_));
    TIFFSetField(tif_, TIFFTAG_SOFTWARE, "Tarvelon");
    if (elevation) TIFFSetField(tif_, TIFFTAG_GDAL_NODATA, std::to_string(kNoData).c_str());
    if (spec.georeference) georeference(*spec.georeference, spec.projection);
  }
  ~GeoTiffEncoder() override {
    // Unfinished: the temporary file goes with out_.
    if (tif_ != nullptr) geo_.close(tif_);
  }

  std::size_t stride() const override { return stride_; }
  int blockRowMultiple() const override { return rowsPerStrip_; }

  void writeBlock(int firstRow, int rows, const std::uint8_t* data, const std::uint8_t* mask) override {
    for (int done = 0; done < rows; done += rowsPerStrip_) {
      const int count = std::min(rowsPerStrip_, rows - done);
      const std::uint8_t* strip = data + std::size_t(done) * stride_;
      const std::size_t bytes = std::size_t(count) * fileStride_;
      if (alpha_) {
        withAlpha(strip, mask + std::size_t(done) * std::size_t(spec_.width), count);
      } else {
        scratch_.assign(strip, strip + bytes);
        prepare(scratch_.data(), count);
      }
      const auto number = static_cast<std::uint32_t>((firstRow + done) / rowsPerStrip_);
      lastTiffError.clear();
      if (TIFFWriteEncodedStrip(tif_, number, scratch_.data(), static_cast<tmsize_t>(bytes)) < 0) {
        fail("cannot write strip " + std::to_string(number));
      }
    }
  }

  void finish() override {
    lastTiffError.clear();
    TIFF* tif = tif_;
    tif_ = nullptr;
    // Writes the directory; false when a write failed.
    const bool written = TIFFFlush(tif) != 0;
    geo_.close(tif);
    if (!written || !writeProblem_.empty()) fail("cannot write the TIFF directory");
    out_.flush();
    out_.file().finish(false);
  }
  AtomicFile& file() override { return out_.file(); }

 private:
  // Colour rows (blue, green, red) as red, green, blue with the mask's
  // alpha after each pixel, into scratch_.
  void withAlpha(const std::uint8_t* strip, const std::uint8_t* mask, int rows) {
    const std::size_t pixels = std::size_t(rows) * std::size_t(spec_.width);
    scratch_.resize(pixels * 4);
    std::uint8_t* to = scratch_.data();
    for (std::size_t i = 0; i < pixels; ++i, to += 4, strip += 3) {
      to[0] = strip[2];
      to[1] = strip[1];
      to[2] = strip[0];
      to[3] = mask[i];
    }
  }

  // Blue, green, red rows become red, green, blue; elevations outside the
  // colour range become nodata.
  void prepare(std::uint8_t* strip, int rows) const {
    const std::size_t pixels = std::size_t(rows) * std::size_t(spec_.width);
    if (spec_.content == RowSink::Content::Colour) {
      for (std::size_t i = 0; i < pixels; ++i) std::swap(strip[3 * i], strip[3 * i + 2]);
    } else if (spec_.content == RowSink::Content::Elevation) {
      auto* samples = reinterpret_cast<std::int16_t*>(strip);
      for (std::size_t i = 0; i < pixels; ++i) {
        if (samples[i] < kMinElevation || samples[i] > kMaxElevation) samples[i] = kNoData;
      }
    }
  }

  // Geographic coordinates on the Mars 2000 sphere, north up, in degrees;
  // or a projection of that sphere, in metres.
  void georeference(const GeoTransform& t, const MapProjection& projection) {
    const double scale[3] = {t.pixelWidth, t.pixelHeight, 0};
    const double tiepoint[6] = {0, 0, 0, t.west, t.north, 0};
    TIFFSetField(tif_, TIFFTAG_GEOPIXELSCALE, 3, scale);
    TIFFSetField(tif_, TIFFTAG_GEOTIEPOINTS, 6, tiepoint);
    GTIF* keys = geo_.newKeys(tif_);
    if (keys == nullptr) fail("cannot set the GeoTIFF keys");
    geo_.setKey(keys, GTModelTypeGeoKey, TYPE_SHORT, 1,
                projection.projected() ? ModelTypeProjected : ModelTypeGeographic);
    geo_.setKey(keys, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea);
    // A user-defined CRS whose citation names each part, as GDAL writes
    // ESRI:104971: GDAL then reads the named Mars 2000 sphere, the same CRS
    // as the .prj of a BMP or PNG.
    geo_.setKey(keys, GeographicTypeGeoKey, TYPE_SHORT, 1, KvUserDefined);
    geo_.setKey(keys, GeogCitationGeoKey, TYPE_ASCII, 0,
                "GCS Name = Mars_2000_(Sphere)|Datum = Mars_2000_(Sphere)|Ellipsoid = Mars_2000_(Sphere)|"
                "Primem = Reference_Meridian||");
    geo_.setKey(keys, GeogGeodeticDatumGeoKey, TYPE_SHORT, 1, KvUserDefined);
    geo_.setKey(keys, GeogAngularUnitsGeoKey, TYPE_SHORT, 1, Angular_Degree);
    geo_.setKey(keys, GeogEllipsoidGeoKey, TYPE_SHORT, 1, KvUserDefined);
    geo_.setKey(keys, GeogSemiMajorAxisGeoKey, TYPE_DOUBLE, 1, kMarsRadius);
    geo_.setKey(keys, GeogSemiMinorAxisGeoKey, TYPE_DOUBLE, 1, kMarsRadius);
    geo_.setKey(keys, GeogPrimeMeridianLongGeoKey, TYPE_DOUBLE, 1, 0.0);
    if (projection.projected()) projectedKeys(keys, projection);
    const bool written = geo_.writeKeys(keys) != 0;
    geo_.freeKeys(keys);
    if (!written) fail("cannot write the GeoTIFF keys");
  }

  // A user-defined projected CRS on the same sphere, spelled out key by
  // key, in metres: polar stereographic true at its pole, or orthographic.
  void projectedKeys(GTIF* keys, const MapProjection& projection) {
    const bool polar = projection.kind != ProjectionKind::Globe;
    const std::string name = projection.kind == ProjectionKind::NorthPolar   ? "Mars 2000 North Polar Stereographic"
                             : projection.kind == ProjectionKind::SouthPolar ? "Mars 2000 South Polar Stereographic"
                                                                             : "Mars 2000 Orthographic";
    geo_.setKey(keys, ProjectedCSTypeGeoKey, TYPE_SHORT, 1, KvUserDefined);
    geo_.setKey(keys, PCSCitationGeoKey, TYPE_ASCII, 0, name.c_str());
    geo_.setKey(keys, ProjectionGeoKey, TYPE_SHORT, 1, KvUserDefined);
    geo_.setKey(keys, ProjLinearUnitsGeoKey, TYPE_SHORT, 1, Linear_Meter);
    geo_.setKey(keys, ProjFalseEastingGeoKey, TYPE_DOUBLE, 1, 0.0);
    geo_.setKey(keys, ProjFalseNorthingGeoKey, TYPE_DOUBLE, 1, 0.0);
    if (polar) {
      geo_.setKey(keys, ProjCoordTransGeoKey, TYPE_SHORT, 1, CT_PolarStereographic);
      geo_.setKey(keys, ProjNatOriginLatGeoKey, TYPE_DOUBLE, 1,
                  projection.kind == ProjectionKind::NorthPolar ? 90.0 : -90.0);
      geo_.setKey(keys, ProjStraightVertPoleLongGeoKey, TYPE_DOUBLE, 1, projection.centreLongitude);
      geo_.setKey(keys, ProjScaleAtNatOriginGeoKey, TYPE_DOUBLE, 1, 1.0);
    } else {
      geo_.setKey(keys, ProjCoordTransGeoKey, TYPE_SHORT, 1, CT_Orthographic);
      geo_.setKey(keys, ProjCenterLatGeoKey, TYPE_DOUBLE, 1, projection.centreLatitude);
      geo_.setKey(keys, ProjCenterLongGeoKey, TYPE_DOUBLE, 1, projection.centreLongitude);
    }
  }

  [[noreturn]] void fail(const std::string& what) const {
    if (!writeProblem_.empty()) throw WriteError(writeProblem_);
    throw WriteError("Cannot write " + quote(spec_.path) + ": " + what +
                     (lastTiffError.empty() ? "" : " (" + lastTiffError + ")") + ".");
  }

  // libtiff's view of the file.
  static GeoTiffEncoder* self(thandle_t handle) { return static_cast<GeoTiffEncoder*>(handle); }
  static tmsize_t read(thandle_t, void*, tmsize_t) { return -1; }  // written only
  static tmsize_t write(thandle_t handle, void* data, tmsize_t size) {
    GeoTiffEncoder* e = self(handle);
    try {
      e->out_.write(e->position_, data, static_cast<std::size_t>(size));
      e->position_ += size;
      return size;
    } catch (const std::exception& error) {
      e->writeProblem_ = error.what();
      return -1;
    }
  }
  static toff_t seek(thandle_t handle, toff_t offset, int whence) {
    GeoTiffEncoder* e = self(handle);
    const auto shift = static_cast<std::int64_t>(offset);
    switch (whence) {
      case SEEK_SET: e->position_ = shift; break;
      case SEEK_CUR: e->position_ += shift; break;
      case SEEK_END: e->position_ = e->out_.end() + shift; break;
      default: return static_cast<toff_t>(-1);
    }
    return static_cast<toff_t>(e->position_);
  }
  static int close(thandle_t) { return 0; }
  static toff_t size(thandle_t handle) { return static_cast<toff_t>(self(handle)->out_.end()); }
  static int map(thandle_t, void**, toff_t*) { return 0; }
  static void unmap(thandle_t, void*, toff_t) {}

  FileOutput out_;
  MapFileSpec spec_;
  const GeoTiffLibrary& geo_;
  TIFF* tif_ = nullptr;
  bool big_ = false;
  bool alpha_ = false;
  std::size_t stride_ = 0;      // a row as it comes
  std::size_t fileStride_ = 0;  // and as it is written
  int rowsPerStrip_ = 1;
  std::int64_t position_ = 0;
  std::vector<std::uint8_t> scratch_;
  std::string writeProblem_;
};

}  // namespace

std::unique_ptr<RowEncoder> makeGeoTiffEncoder(const MapFileSpec& spec) {
  return std::make_unique<GeoTiffEncoder>(spec);
}

}  // namespace tarvelon
