#include "export/MapFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>

#include "core/AtomicFile.h"
#include "core/MessageText.h"
#include "export/Encoders.h"
#include "render/BmpWriter.h"

namespace tarvelon {

namespace {

// Rows are handed to the writer thread in blocks of about this many bytes.
constexpr std::size_t kBlockBytes = std::size_t(8) << 20;

std::string lowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

std::string replaceExtension(const std::string& path, const char* extension) {
  return std::filesystem::path(path).replace_extension(extension).string();
}

// The shortest decimal form that reads back as the same double.
std::string exact(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

class BmpEncoder : public RowEncoder {
 public:
  explicit BmpEncoder(const MapFileSpec& spec)
      : file_(spec.path, spec.width, spec.height, spec.content == RowSink::Content::Light ? 8 : 24) {}
  bool bottomUp() const override { return true; }
  std::size_t stride() const override { return file_.stride(); }
  void writeBlock(int firstRow, int rows, const std::uint8_t* data, const std::uint8_t*) override {
    file_.writeFileRows(firstRow, rows, data);
  }
  void finish() override { file_.finish(); }
  AtomicFile& file() override { return file_.file(); }

 private:
  BmpFile file_;
};

}  // namespace

// A small text file that appears with its map.
class SidecarFile {
 public:
  SidecarFile(const std::string& path, const std::string& text) : file_(path) { file_.write(text); }
  void finish() { file_.finish(false); }
  AtomicFile& file() { return file_; }

 private:
  AtomicFile file_;
};

std::unique_ptr<RowEncoder> makeBmpEncoder(const MapFileSpec& spec) { return std::make_unique<BmpEncoder>(spec); }

std::optional<MapFormat> mapFormatOf(const std::string& path) {
  const std::string extension = lowerExtension(path);
  if (extension == ".bmp") return MapFormat::Bmp;
  if (extension == ".png") return MapFormat::Png;
  if (extension == ".tif" || extension == ".tiff") return MapFormat::GeoTiff;
  return std::nullopt;
}

const char* mapFormatName(MapFormat format) {
  switch (format) {
    case MapFormat::Bmp: return "BMP";
    case MapFormat::Png: return "PNG";
    case MapFormat::GeoTiff: return "GeoTIFF";
  }
  return "?";
}

std::string mapFileProblem(const MapFileSpec& spec) {
  const std::string size = std::to_string(spec.width) + " x " + std::to_string(spec.height) + " pixels";
  if (spec.width <= 0 || spec.height <= 0) return "there is no map to save";
  if (spec.content == RowSink::Content::Elevation && spec.format != MapFormat::GeoTiff) {
    return "elevations are written as a GeoTIFF (.tif) only";
  }
  switch (spec.format) {
    case MapFormat::Bmp: {
      const int bits = spec.content == RowSink::Content::Light ? 8 : 24;
      const std::uint64_t bytes = bmpFileSize(spec.width, spec.height, bits);
      if (bytes > kBmpSizeLimit) {
        return "a bitmap of " + size + " would take " + std::to_string(bytes) +
               " bytes, more than the 4 GB (4294967295 bytes) a BMP file can hold: write a PNG or a GeoTIFF, or "
               "choose a larger step";
      }
      break;
    }
    case MapFormat::Png:
      if (spec.width > kPngSideLimit || spec.height > kPngSideLimit) {
        return "a PNG holds at most 2147483647 pixels across and down, not " + size;
      }
      break;
    case MapFormat::GeoTiff:
      break;  // past 4 GB it is written as a BigTIFF
  }
  return "";
}

bool hasAlpha(const MapFileSpec& spec) {
  return spec.transparency && spec.format != MapFormat::Bmp && spec.content == RowSink::Content::Colour;
}

std::vector<Sidecar> sidecars(const MapFileSpec& spec) {
  if (!spec.georeference || spec.format == MapFormat::GeoTiff) return {};
  // GDAL takes the CRS of a PNG or BMP from NAME.aux.xml, not from the .prj.
  return {{replaceExtension(spec.path, spec.format == MapFormat::Bmp ? ".bpw" : ".pgw"),
           worldFileText(*spec.georeference)},
          {replaceExtension(spec.path, ".prj"), prjText(spec.projection)},
          {spec.path + ".aux.xml", auxXmlText(spec.projection)}};
}

std::vector<std::string> sidecarPaths(const MapFileSpec& spec) {
  std::vector<std::string> paths;
  for (const Sidecar& sidecar : sidecars(spec)) paths.push_back(sidecar.path);
  return paths;
}

std::string worldFileText(const GeoTransform& t) {
  return exact(t.pixelWidth) + "\n0\n0\n" + exact(-t.pixelHeight) + "\n" + exact(t.west + t.pixelWidth / 2) + "\n" +
         exact(t.north - t.pixelHeight / 2) + "\n";
}

std::string marsPrjText() {
  // The Mars 2000 sphere as GDAL and PROJ name it (ESRI:104971), so that a
  // GIS finds the same named CRS here, in the .aux.xml and in a GeoTIFF.
  return "GEOGCS[\"Mars_2000_(Sphere)\",DATUM[\"Mars_2000_(Sphere)\",SPHEROID[\"Mars_2000_(Sphere)\",3396190,0,"
         "AUTHORITY[\"ESRI\",\"107971\"]],AUTHORITY[\"ESRI\",\"106971\"]],PRIMEM[\"Reference_Meridian\",0,"
         "AUTHORITY[\"ESRI\",\"108900\"]],UNIT[\"degree\",0.0174532925199433,AUTHORITY[\"EPSG\",\"9122\"]],"
         "AXIS[\"Latitude\",NORTH],AXIS[\"Longitude\",EAST],AUTHORITY[\"ESRI\",\"104971\"]]";
}

std::string marsAuxXmlText() {
  // Longitude first in the data, as the world file has it.
  return "<PAMDataset>\n  <SRS dataAxisToSRSAxisMapping=\"2,1\">" + marsPrjText() + "</SRS>\n</PAMDataset>\n";
}

std::string prjText(const MapProjection& projection) {
  return projection.projected() ? projectedCrsWkt(projection, true) : marsPrjText();
}

std::string auxXmlText(const MapProjection& projection) {
  if (!projection.projected()) return marsAuxXmlText();
  // Easting, then northing: the axes as the CRS has them.
  return "<PAMDataset>\n  <SRS dataAxisToSRSAxisMapping=\"1,2\">" + projectedCrsWkt(projection, false) +
         "</SRS>\n</PAMDataset>\n";
}

MapFile::MapFile(const MapFileSpec& spec) : spec_(spec) {
  const std::string problem = mapFileProblem(spec);
  if (!problem.empty()) throw WriteError("Cannot write " + quote(spec.path) + ": " + problem + ".");
  switch (spec.format) {
    case MapFormat::Bmp: encoder_ = makeBmpEncoder(spec); break;
    case MapFormat::Png: encoder_ = makePngEncoder(spec); break;
    case MapFormat::GeoTiff: encoder_ = makeGeoTiffEncoder(spec); break;
  }
  for (const Sidecar& sidecar : sidecars(spec)) {
    sidecars_.push_back(std::make_unique<SidecarFile>(sidecar.path, sidecar.text));
  }
  rowBytes_ = std::size_t(spec.width) * RowSink::bytesPerPixel(spec.content);
  const std::size_t stride = encoder_->stride();
  const int multiple = std::max(1, encoder_->blockRowMultiple());
  rowsPerBlock_ = static_cast<int>(std::max<std::size_t>(1, kBlockBytes / stride));
  rowsPerBlock_ = std::max(multiple, rowsPerBlock_ / multiple * multiple);
  rowsPerBlock_ = std::min(rowsPerBlock_, spec.height);
  for (Block& block : blocks_) {
    block.bytes.assign(stride * std::size_t(rowsPerBlock_), 0);
    if (hasAlpha(spec)) block.mask.assign(std::size_t(spec.width) * std::size_t(rowsPerBlock_), 255);
  }
  writer_ = std::thread([this] { run(); });
}

MapFile::~MapFile() { stopWriter(); }

void MapFile::stopWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (writer_.joinable()) writer_.join();
}

void MapFile::rethrow() {
  if (error_) std::rethrow_exception(error_);
}

std::uint8_t* MapFile::rowBuffer(int y) {
  if (y != rowsDone_ || y >= spec_.height) {
    throw WriteError("Cannot write " + quote(spec_.path) + ": row " + std::to_string(y) + " out of turn.");
  }
  Block& block = blocks_[current_];
  if (!started_) {
    // The block may still be on its way to the file.
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !block.full || error_; });
    rethrow();
    block.firstRow = y;
    block.rows = std::min(rowsPerBlock_, spec_.height - y);
    started_ = true;
  }
  const int inBlock = encoder_->bottomUp() ? block.rows - 1 - (y - block.firstRow) : y - block.firstRow;
  return block.bytes.data() + std::size_t(inBlock) * encoder_->stride();
}

std::uint8_t* MapFile::maskBuffer(int y) {
  Block& block = blocks_[current_];
  if (block.mask.empty() || !started_ || y != rowsDone_) return nullptr;
  const int inBlock = encoder_->bottomUp() ? block.rows - 1 - (y - block.firstRow) : y - block.firstRow;
  return block.mask.data() + std::size_t(inBlock) * std::size_t(spec_.width);
}

void MapFile::rowDone(int y) {
  if (y != rowsDone_ || !started_) {
    throw WriteError("Cannot write " + quote(spec_.path) + ": row " + std::to_string(y) + " out of turn.");
  }
  ++rowsDone_;
  Block& block = blocks_[current_];
  if (y == block.firstRow + block.rows - 1) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      rethrow();
      block.full = true;
    }
    changed_.notify_all();
    current_ = 1 - current_;
    started_ = false;
  }
}

void MapFile::run() {
  // Blocks are filled in turn, so they are written in turn.
  int next = 0;
  for (;;) {
    Block& block = blocks_[next];
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return block.full || closing_; });
      if (!block.full) return;  // closing, nothing left to write
    }
    try {
      encoder_->writeBlock(block.firstRow, block.rows, block.bytes.data(),
                           block.mask.empty() ? nullptr : block.mask.data());
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      error_ = std::current_exception();
      changed_.notify_all();
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      block.full = false;
    }
    changed_.notify_all();
    next = 1 - next;
  }
}

void MapFile::commit() {
  if (rowsDone_ != spec_.height) {
    throw WriteError("Cannot write " + quote(spec_.path) + ": only " + std::to_string(rowsDone_) + " of its " +
                     std::to_string(spec_.height) + " rows were drawn.");
  }
  {
    // The writer takes the last block before it sees the request to close.
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return (!blocks_[0].full && !blocks_[1].full) || error_; });
  }
  stopWriter();
  rethrow();
  encoder_->finish();
  for (auto& sidecar : sidecars_) sidecar->finish();
  // The sidecars first: a map that appears has its own georeference with it.
  std::vector<AtomicFile*> set;
  for (auto& sidecar : sidecars_) set.push_back(&sidecar->file());
  set.push_back(&encoder_->file());
  AtomicFile::publishTogether(set);
  committed_ = true;
}

void writeMapFile(const Raster& raster, MapFileSpec spec) {
  spec.width = raster.width;
  spec.height = raster.height;
  spec.content = RowSink::Content::Colour;
  MapFile file(spec);
  for (int y = 0; y < raster.height; ++y) {
    std::memcpy(file.rowBuffer(y), raster.row(y), raster.rowBytes());
    std::uint8_t* mask = file.maskBuffer(y);
    if (mask != nullptr) {
      const std::uint8_t* shown = raster.maskRow(y);
      if (shown != nullptr) {
        std::memcpy(mask, shown, std::size_t(raster.width));
      } else {
        std::memset(mask, 255, std::size_t(raster.width));
      }
    }
    file.rowDone(y);
  }
  file.commit();
}

}  // namespace tarvelon
