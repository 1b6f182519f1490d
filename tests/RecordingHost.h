// A DrawHost for tests: logs every call, keeps the picture a screen would
// show, runs a test's commands when events are let run, and tells the time
// it is given.
#pragma once

#include <algorithm>
#include <ctime>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/DrawHost.h"
#include "render/MapGeometry.h"

namespace tarvelon::testing {

class RecordingHost : public DrawHost {
 public:
  // Every call, in order: "events", "legend TEXT", "percent TEXT",
  // "size WxH", "clear", "rows FROM-END", "raster WxH", "busy 1",
  // "labels MAX|MIN", "check N", "completed", "inform TEXT".
  std::vector<std::string> calls;

  // The picture shown, and whether there is one.
  Raster picture;
  bool hasPicture = false;

  std::string legend;
  std::string percent;
  std::vector<std::string> percents;  // every percentage text set
  bool busy = false;
  std::string altmax;
  std::string altmin;
  int checkedResolution = -1;
  int completions = 0;
  std::vector<std::string> informed;
  int width = 0;  // as sized by sizeMap
  int height = 0;
  std::optional<MapGeometry> placed;  // as told by placeMap

  // Where the draw's start and end were told: the number of calls logged
  // before each drawStarted and drawFinished (they are not logged in
  // `calls`, so that the calls of a draw read as they always did).
  std::vector<std::size_t> startedAfter;
  std::vector<std::size_t> finishedAfter;

  // Runs at every processEvents, with the number of the call (1, 2, ...):
  // the place where a test plays the user's commands.
  std::function<void(int call)> onEvents;
  int eventsRun = 0;

  // Successive results of now(); the last one repeats.
  std::deque<std::time_t> times{1000};

  void processEvents() override {
    calls.push_back("events");
    ++eventsRun;
    if (onEvents) onEvents(eventsRun);
  }
  void setLegend(const std::string& text) override {
    calls.push_back("legend " + text);
    legend = text;
  }
  void setPercent(const std::string& text) override {
    calls.push_back("percent " + text);
    percent = text;
    percents.push_back(text);
  }
  void sizeMap(int w, int h) override {
    calls.push_back("size " + std::to_string(w) + "x" + std::to_string(h));
    width = w;
    height = h;
  }
  void placeMap(const MapGeometry& geometry) override { placed = geometry; }
  void drawStarted() override { startedAfter.push_back(calls.size()); }
  void drawFinished() override { finishedAfter.push_back(calls.size()); }
  void clearMap() override {
    calls.push_back("clear");
    picture = Raster();
    hasPicture = false;
  }
  void showRows(const Raster& raster, int firstRow, int endRow) override {
    calls.push_back("rows " + std::to_string(firstRow) + "-" + std::to_string(endRow));
    if (!hasPicture || picture.width != raster.width || picture.height != raster.height) {
      picture = Raster(raster.width, raster.height);
      hasPicture = true;
    }
    for (int y = firstRow; y < endRow; ++y) {
      std::copy(raster.row(y), raster.row(y) + raster.rowBytes(), picture.row(y));
      if (!raster.mask.empty()) std::copy(raster.maskRow(y), raster.maskRow(y) + raster.width, picture.maskRow(y));
    }
  }
  void showRaster(const Raster& raster) override {
    calls.push_back("raster " + std::to_string(raster.width) + "x" + std::to_string(raster.height));
    picture = raster;
    hasPicture = true;
  }
  void setBusy(bool b) override {
    calls.push_back(b ? "busy 1" : "busy 0");
    busy = b;
  }
  void setAltitudeLabels(const std::string& max, const std::string& min) override {
    calls.push_back("labels " + max + "|" + min);
    altmax = max;
    altmin = min;
  }
  void checkResolution(int resolutionIndex) override {
    calls.push_back("check " + std::to_string(resolutionIndex));
    checkedResolution = resolutionIndex;
  }
  void areaDrawCompleted() override {
    calls.push_back("completed");
    ++completions;
  }
  void inform(const std::string& text) override {
    calls.push_back("inform " + text);
    informed.push_back(text);
  }
  std::time_t now() override {
    const std::time_t t = times.front();
    if (times.size() > 1) times.pop_front();
    return t;
  }

  // Number of calls that start with `prefix`.
  int count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& call : calls) n += call.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }
};

// A recording host that keeps no picture: the renderer hands its rows to
// `sink`, as it does to a map file.
class SinkHost : public RecordingHost {
 public:
  explicit SinkHost(RowSink& sink) : sink_(sink) {}
  RowSink* rowSink() override { return &sink_; }

 private:
  RowSink& sink_;
};

}  // namespace tarvelon::testing
