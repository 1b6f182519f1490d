// Saving a map in one of the three formats, placed on Mars: a BMP or PNG
// with a world file and a .prj beside it, or a GeoTIFF. The command-line
// tool streams its rows into a MapFile as they are drawn; the window's
// Save Map writes its raster through the same writers.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "render/MapGeometry.h"
#include "render/Raster.h"
#include "render/RowSink.h"

namespace tarvelon {

class AtomicFile;

enum class MapFormat { Bmp, Png, GeoTiff };

// The format a file name asks for by its extension, in any case: .bmp,
// .png, .tif or .tiff; nothing for any other.
std::optional<MapFormat> mapFormatOf(const std::string& path);
// "BMP", "PNG", "GeoTIFF".
const char* mapFormatName(MapFormat format);

// What one map file holds.
struct MapFileSpec {
  std::string path;
  MapFormat format = MapFormat::Bmp;
  int width = 0;
  int height = 0;
  RowSink::Content content = RowSink::Content::Colour;
  // Where the map lies: a world file and a .prj beside a BMP or PNG, the
  // GeoTIFF keys in a GeoTIFF. Without it the map is written bare.
  std::optional<GeoTransform> georeference;
  // A PNG or GeoTIFF in colour gets an alpha channel, transparent
  // where no sample lies behind a pixel (RowSink::maskBuffer), so that a
  // GIS shows a hole there rather than a neighbour's colour.
  bool transparency = false;
  // The CRS of the georeference: longitude and latitude for simple
  // cylindrical, metres on the plane of any other projection.
  MapProjection projection = {};
};

// True when a map file of `spec` carries an alpha channel.
bool hasAlpha(const MapFileSpec& spec);

// Why a map of this size and content cannot be written in its format,
// naming the format's limit; empty when it can.
std::string mapFileProblem(const MapFileSpec& spec);

// The files a map file comes with, and what they hold: its world file,
// .prj and .aux.xml (a BMP or PNG with a georeference); none otherwise.
// They are published with the map, before it, as one set.
struct Sidecar {
  std::string path;
  std::string text;
};
std::vector<Sidecar> sidecars(const MapFileSpec& spec);
// Their names.
std::vector<std::string> sidecarPaths(const MapFileSpec& spec);

// Writes a format's rows; runs on MapFile's writer thread. Each block holds
// consecutive rows, `stride` bytes apart, in the order the format stores
// them (bottom-up for a BMP).
class RowEncoder {
 public:
  virtual ~RowEncoder() = default;
  virtual bool bottomUp() const { return false; }
  virtual std::size_t stride() const = 0;
  // A block's rows are a multiple of this many, the last block apart.
  virtual int blockRowMultiple() const { return 1; }
  // `mask` holds the block's rows of RowSink::maskBuffer, width bytes each
  // in the same order, for a map with an alpha channel; nullptr otherwise.
  virtual void writeBlock(int firstRow, int rows, const std::uint8_t* data, const std::uint8_t* mask) = 0;
  // Writes what is left and closes the file, not yet in place.
  virtual void finish() = 0;
  // The file, for MapFile to put in place with its sidecars.
  virtual AtomicFile& file() = 0;
};

// A map file written row by row, top to bottom, through temporary files
// renamed into place by commit(). Rows are gathered into blocks of several
// megabytes, which a second thread writes while the next block is drawn;
// no more than two blocks are held. The file's whole size is reserved when
// it is created where the format fixes it (BMP, GeoTIFF), so that a full
// disk shows before drawing. Destroyed without commit(), it leaves nothing
// behind.
class MapFile : public RowSink {
 public:
  // Creates the temporary files; throws WriteError, also for a map past
  // the format's limit (mapFileProblem).
  explicit MapFile(const MapFileSpec& spec);
  ~MapFile() override;
  MapFile(const MapFile&) = delete;
  MapFile& operator=(const MapFile&) = delete;

  const MapFileSpec& spec() const { return spec_; }
  Content content() const override { return spec_.content; }
  std::uint8_t* rowBuffer(int y) override;
  std::uint8_t* maskBuffer(int y) override;
  void rowDone(int y) override;
  // Rows 0 .. rowsDone() - 1 are done.
  int rowsDone() const { return rowsDone_.load(); }
  // Every row done: writes what is left and puts the map and its sidecars
  // in place. Throws WriteError.
  void commit();

 private:
  struct Block {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> mask;  // with an alpha channel
    int firstRow = 0;
    int rows = 0;
    bool full = false;  // handed to the writer, not yet written
  };
  void run();
  void stopWriter();
  void rethrow();  // the writer's error, if it met one; the mutex is held

  MapFileSpec spec_;
  std::unique_ptr<RowEncoder> encoder_;
  std::vector<std::unique_ptr<class SidecarFile>> sidecars_;
  std::size_t rowBytes_ = 0;
  int rowsPerBlock_ = 1;
  Block blocks_[2];
  int current_ = 0;  // block rows go into
  bool started_ = false;
  std::atomic<int> rowsDone_{0};  // read by whoever shows the progress
  bool committed_ = false;

  std::mutex mutex_;
  std::condition_variable changed_;
  bool closing_ = false;
  std::exception_ptr error_;
  std::thread writer_;
};

// Writes a whole raster (24-bit colour, with its mask) as `spec` describes,
// through a MapFile: the window's Save Map. Throws WriteError.
void writeMapFile(const Raster& raster, MapFileSpec spec);

// The text of a world file for a map whose pixel (0, 0) has its west and
// north edges at `transform`: six lines, x and y size of a pixel, the two
// rotations, and the centre of pixel (0, 0).
std::string worldFileText(const GeoTransform& transform);
// The text of the .prj: geographic coordinates on the Mars 2000 sphere.
std::string marsPrjText();
// The text of NAME.aux.xml beside a BMP or PNG: the same CRS for GDAL.
std::string marsAuxXmlText();
// The .prj and .aux.xml of a map in `projection`: the texts above for
// simple cylindrical, the projected CRS as PROJ writes it otherwise.
std::string prjText(const MapProjection& projection);
std::string auxXmlText(const MapProjection& projection);

}  // namespace tarvelon
