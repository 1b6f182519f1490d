// tarvelon-render make-data: writes a demo set of the sixteen tiles.
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/AtomicFile.h"
#include "dem/DemoSet.h"
#include "core/MessageText.h"
#include "dem/TileNames.h"
#include "dem/TileSet.h"
#include "tools/Commands.h"
#include "tools/DemoTerrain.h"

namespace tarvelon::cli {

const char* const kMakeDataUsage =
    "Usage: tarvelon-render make-data --out DIR [--from GLOBAL.img]\n"
    "\n"
    "Writes a demo set of the sixteen MEGDR128 tiles (129,761,280 bytes each, about\n"
    "2.1 GB in all) under their published names megt00n000hb.img .. megt88n270hb.img,\n"
    "every sample interpolated (bilinear) from a global MOLA grid.\n"
    "\n"
    "  --out DIR          folder for the tiles (made if missing); tiles already\n"
    "                     there are replaced once all sixteen are written\n"
    "  --from GLOBAL.img  the global MEGDR grid of 4, 16, 32 or 64 samples per\n"
    "                     degree, recognised by its size; default: the 4-per-degree\n"
    "                     grid that ships with Tarvelon, assets/mola/megt90n000cb.img\n"
    "\n"
    "The 4-per-degree grid is 32 times coarser than the real tiles: the demo tiles\n"
    "are real Mars, but smooth when drawn at the larger resolutions. A README.txt\n"
    "in DIR says which grid they came from, and tarvelon-demo-set.txt marks them as\n"
    "a demo set, so that a legend credits the grid rather than the real tiles.\n";

namespace {


class Progress {
 public:
  explicit Progress(long total) : total_(total), interactive_(::isatty(2) != 0) {}
  void add(long lines) {
    const long done = done_ += lines;
    const int percent = static_cast<int>(done * 100 / total_);
    std::lock_guard<std::mutex> lock(mutex_);
    if (percent != shown_ && (interactive_ || percent % 10 == 0)) {
      shown_ = percent;
      std::fprintf(stderr, interactive_ ? "\r  writing tiles: %3d%%" : "  writing tiles: %3d%%\n", percent);
      std::fflush(stderr);
    }
  }
  void end() {
    if (interactive_) std::fputc('\n', stderr);
  }

 private:
  long total_;
  bool interactive_;
  std::atomic<long> done_{0};
  std::mutex mutex_;
  int shown_ = -1;
};

}  // namespace

int runMakeData(Args& args) {
  namespace fs = std::filesystem;
  const auto out = args.option("--out");
  const auto from = args.option("--from");
  const auto extra = args.positional();
  if (!extra.empty()) throw UsageError("unexpected argument " + quote(extra.front()));
  if (!out || out->empty()) throw UsageError("--out DIR is required");

  // Check everything before writing anything.
  std::error_code ec;
  // The grid in the source tree, or once installed, in the data folder.
  std::string gridPath = from.value_or(TARVELON_SHIPPED_GRID);
  if (!from && !fs::exists(gridPath, ec)) gridPath = besideTool(TARVELON_INSTALLED_GRID);
  if (!from && !fs::exists(gridPath, ec)) {
    throw CommandError("the global grid that ships with Tarvelon is neither at " +
                       std::string(TARVELON_SHIPPED_GRID) + " nor at " + gridPath +
                       "; give a global MOLA grid with --from GLOBAL.img");
  }
  const demo::GlobalGrid grid = demo::loadGlobalGrid(gridPath);
  const std::string source = demo::gridSourceText(fs::absolute(gridPath, ec).lexically_normal().string(), grid.perDegree);
  const fs::path folder(*out);
  if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) throw CommandError(quote(*out) + " is not a folder");
  std::vector<std::string> names;
  for (int t = 0; t < kTileCount; ++t) names.push_back(publishedTileName(t));
  if (fs::is_directory(folder, ec)) {
    const TileListing listing = listTileFolder(*out);
    if (!listing.readable) throw CommandError(quote(*out) + " cannot be read: " + listing.problem);
    if (!listing.odd.empty()) {
      throw CommandError(quote(*out) + " holds " + quote(listing.odd.front().name) + ", which is " +
                         listing.odd.front().what + "; choose another folder");
    }
    for (const std::string& found : listing.matching) {
      if (std::find(names.begin(), names.end(), found) == names.end()) {
        throw CommandError(quote(*out) + " already holds the tile file " + quote(found) +
                           ", which is not one of the sixteen published names; choose an empty folder");
      }
    }
  }
  const bool madeFolder = !fs::exists(folder, ec);
  if (madeFolder && !fs::create_directories(folder, ec)) {
    throw CommandError("cannot make the folder " + quote(*out) + ": " + ec.message());
  }
  struct statvfs disk {};
  if (::statvfs(out->c_str(), &disk) == 0) {
    const double available = double(disk.f_bavail) * double(disk.f_frsize);
    const double needed = double(kTileBytes) * kTileCount;
    if (available < needed) {
      if (madeFolder) fs::remove(folder, ec);
      throw CommandError("the disk holding " + quote(*out) + " has " + std::to_string(long(available / 1e6)) +
                         " MB free; the tiles need " + std::to_string(long(needed / 1e6)) + " MB");
    }
  }

  const auto started = std::chrono::steady_clock::now();
  const int threads = std::max(2u, std::thread::hardware_concurrency());
  std::fprintf(stderr, "Writing 16 tiles to %s\n", out->c_str());

  // Every tile goes to a temporary file first; all sixteen are renamed into
  // place only when all are written, so a failure leaves the folder as it was.
  std::vector<std::unique_ptr<AtomicFile>> files(kTileCount);
  Progress progress(long(kTileCount) * kLinesPerTile);
  std::atomic<int> nextTile{0};
  std::mutex failureMutex;
  std::string failure;
  std::vector<std::thread> workers;
  for (int w = 0; w < threads; ++w) {
    workers.emplace_back([&] {
      std::vector<std::uint8_t> line(kBytesPerLine);
      for (int t = nextTile++; t < kTileCount; t = nextTile++) {
        try {
          auto file = std::make_unique<AtomicFile>((folder / names[t]).string());
          for (int l = 0; l < kLinesPerTile; ++l) {
            demo::tileLine(grid, t, l, line.data());
            file->write(line.data(), line.size());
            if (l % 64 == 63) progress.add(64);
          }
          file->finish(false);
          files[t] = std::move(file);
        } catch (const std::exception& e) {
          std::lock_guard<std::mutex> lock(failureMutex);
          if (failure.empty()) failure = e.what();
          nextTile = kTileCount;
        }
      }
    });
  }
  for (auto& worker : workers) worker.join();
  progress.end();
  if (!failure.empty()) {
    files.clear();
    if (madeFolder) fs::remove_all(folder, ec);
    throw CommandError(failure);
  }
  // The mark goes first: tiles published without it would pass for the
  // real ones on a legend.
  AtomicFile marker((folder / kDemoSetMarkerName).string());
  marker.write(demoSetMarkerText(grid.perDegree));
  marker.commit(false);
  for (auto& file : files) file->publish();
  AtomicFile readme((folder / "README.txt").string());
  readme.write(demo::readmeText(source));
  readme.commit(false);

  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("Wrote the sixteen tiles to %s in %.1f s: %s.\n", out->c_str(), seconds, source.c_str());
  return 0;
}

}  // namespace tarvelon::cli
