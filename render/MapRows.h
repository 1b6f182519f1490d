// The part of drawing that both renderers share once a row's samples are
// read: colouring them, lighting them when relief shading is on, and
// putting the finished row where it goes.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "render/DrawSync.h"
#include "render/Hillshade.h"
#include "render/MapGeometry.h"
#include "render/MapViewState.h"
#include "render/Raster.h"
#include "render/RowSink.h"

namespace tarvelon {

// A run of big-endian samples, `step` samples apart; a drawn row is one or
// more runs, one after another from the map's west edge.
struct SampleRunView {
  const std::uint8_t* first = nullptr;
  int count = 0;
};

// Where finished rows go: the renderer's raster, or the host's sink.
class RowTarget {
 public:
  virtual ~RowTarget() = default;
  // The bytes of row y (width x RowSink::bytesPerPixel of the content).
  virtual std::uint8_t* row(int y) = 0;
  // Where row y's mask goes (RowSink::maskBuffer), or nullptr when no
  // mask is kept; asked for after row(y) and before done(y).
  virtual std::uint8_t* mask(int) { return nullptr; }
  // Row y holds its pixels.
  virtual void done(int y) = 0;
};

// A target of two functions, which the renderer sets for where its rows go.
struct RowFunctions : RowTarget {
  std::function<std::uint8_t*(int y)> rowOf;
  std::function<void(int y)> doneWith;
  std::function<std::uint8_t*(int y)> maskOf;  // may be empty: no mask
  std::uint8_t* row(int y) override { return rowOf(y); }
  std::uint8_t* mask(int y) override { return maskOf ? maskOf(y) : nullptr; }
  void done(int y) override { doneWith(y); }
  // Rows go into a raster and its mask.
  void intoRaster(Raster& raster) {
    rowOf = [&raster](int y) { return raster.row(y); };
    maskOf = [&raster](int y) { return raster.maskRow(y); };
    doneWith = [](int) {};
  }
  // Rows go straight to a host's sink.
  void intoSink(RowSink& sink) {
    rowOf = [&sink](int y) { return sink.rowBuffer(y); };
    maskOf = [&sink](int y) { return sink.maskBuffer(y); };
    doneWith = [&sink](int y) { sink.rowDone(y); };
  }
};

// Lighting of a map: the sun and the spacing of its samples, and the
// latitude of each row.
struct ReliefLight {
  Hillshade hillshade;
  double spacingY = 0;                    // metres between rows
  double degreesX = 0;                    // degrees of longitude between columns
  double spacingX = 0;                    // metres between columns, when not 0: a grid even in metres
  std::function<double(int y)> latitude;  // of row y's samples

  // For the state's sun and exaggeration, at `sampleStep`.
  ReliefLight(const MapViewState& state, int sampleStep, std::function<double(int y)> latitudeOfRow);
};

class MapRows {
 public:
  // A map `width` x `height` pixels of `content`, of which a complete draw
  // finishes rows 0 .. rowsDrawn - 1; `light` is needed for shaded colours
  // and for Light, and ignored otherwise. With `parallel`, lit rows are
  // lit and put in the target by a thread of their own while the next rows
  // are read: the target must then take rows from any one thread (a row
  // sink does; a window's picture does not).
  MapRows(RowSink::Content content, bool shaded, int width, int height, int rowsDrawn,
          std::optional<ReliefLight> light, bool parallel = false);
  // The rows of the map of `geometry`, drawn from `state` at `step` for a
  // host with `sink` (nullptr for a host that keeps the picture): of the
  // sink's content (colour without one), lit as the state asks, and lit on
  // a thread of their own into a sink.
  MapRows(const MapViewState& state, const MapGeometry& geometry, int step, RowSink* sink);
  // Stops the lighting thread, if any, dropping the rows it has not done.
  ~MapRows();
  MapRows(const MapRows&) = delete;
  MapRows& operator=(const MapRows&) = delete;

  // True when a row is finished only once the row below it is read.
  bool delayed() const { return lit_; }

  // Row y (0, 1, ... in turn) from its runs. Rows past the map's height are
  // not shown, but light the row above them. `colours` is the sample table
  // in force (SampleColours::data()). Throws what the target throws.
  void addRow(int y, const SampleRunView* runs, int runCount, int step, const std::uint32_t* colours,
              DrawProgress& progress, RowTarget& target);
  // Row y from `count` plain elevations, in the machine's byte order, with
  // RowSink::kNoElevation where no sample lies behind a pixel (it colours
  // nothing and shows in no mask): the same row as the same samples given
  // as runs, for any sampler that does not read the tiles' lines.
  void addRow(int y, const std::int16_t* elevations, int count, const std::uint32_t* colours, DrawProgress& progress,
              RowTarget& target);
  // No more rows: the row still waiting for the one below it is lit as the
  // map's edge.
  void finish(RowTarget& target);
  // After a complete draw, the rows below the last one drawn, down to the
  // map's bottom, become copies of it: rows the renderer never draws.
  void fillBelow(RowTarget& target);

  // Rows 0 .. rowsFinished() - 1 are in the target.
  int rowsFinished() const { return finished_; }

 private:
  struct ReadRow {
    std::vector<std::int16_t> samples;
    std::vector<std::uint32_t> entries;  // the colour of each sample, carried over those without one
    std::vector<float> heights;          // the samples as Hillshade::terrainHeights gives them
    bool terrain = false;                // every sample is terrain
  };
  ReadRow& readRow(int y) { return rows_[static_cast<std::size_t>(y) % rows_.size()]; }
  // The row that row y's samples go to, once the rows are made for
  // `total` samples and the row it replaces is done with.
  ReadRow& rowToRead(int y, int total, RowTarget& target);
  // Row y's samples are in its ReadRow, `x` of them read: its pixels.
  void addRead(int y, int x, const std::uint32_t* colours, DrawProgress& progress, RowTarget& target);
  void emit(int y, const ReadRow* above, const ReadRow& row, const ReadRow* below, RowTarget& target,
            std::vector<float>& light);
  void keepIfLast(int y, const std::uint8_t* row);
  // Row y holds its pixels up to x in `out` and `mask`: the rest filled,
  // the row handed to the target.
  void completeRow(int y, std::uint8_t* out, std::uint8_t* mask, int x, RowTarget& target);
  void runLighting(RowTarget* target);

  RowSink::Content content_;
  bool lit_ = false;  // relief shading or the light alone
  bool parallel_ = false;
  int width_;
  int height_;
  int rowsDrawn_;
  std::optional<ReliefLight> light_;
  int rowSamples_ = 0;  // samples in each row read, counted at the first
  int added_ = 0;       // rows added so far
  int finished_ = 0;
  std::vector<ReadRow> rows_;  // the last rows read, by y modulo their number
  std::vector<float> lightRow_;
  std::vector<std::uint8_t> lastRow_;  // a copy of the last row finished, for fillBelow
  std::vector<std::uint32_t> plainEntries_;  // the colours of a row of plain elevations

  // The lighting thread: it lights row r once rows up to r + 1 are read.
  std::thread lighting_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int read_ = 0;  // rows 0 .. read_ - 1 are in rows_
  int rowsLit_ = 0;  // rows 0 .. rowsLit_ - 1 are in the target
  // A thread that waits says how far the other must get before waking it
  // (0: nobody waits), so that each sleeps once for several rows rather
  // than once a row.
  int wantRead_ = 0;
  int wantLit_ = 0;
  bool ended_ = false;
  bool cancelled_ = false;
  std::exception_ptr error_;
};

// Samples of a run in the machine's byte order.
void gatherSamples(const std::uint8_t* first, int count, int step, std::int16_t* out);

}  // namespace tarvelon
