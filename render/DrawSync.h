// What both renderers keep in locals while they draw and hand back to the
// shared state whenever commands may run (they run inside
// DrawHost::processEvents and may read or change these values), and the
// steps that start and end every draw.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "render/DrawHost.h"
#include "render/MapViewState.h"
#include "render/SampleColours.h"
#include "render/SampleRun.h"
#include "render/TileRenderer.h"

namespace tarvelon {

struct DrawProgress {
  // Highest and lowest elevation counted so far; meaningful once `counted`.
  int altMax = 0;
  int altMin = 0;
  bool counted = false;
  std::uint32_t colour = 0;  // the current colour as a table entry

  explicit DrawProgress(MapViewState& state) : state_(state) { load(); }

  // A draw starts with no elevation counted: the highest and lowest are
  // those of the first sample it counts, not 0 m.
  void startEmpty() {
    counted = false;
    store();
    load();
  }

  // Counts a run of `count` samples, `step` apart; with kColourRangeOnly
  // only those within -8200 .. 21250.
  template <bool kColourRangeOnly>
  void track(const std::uint8_t* first, int count, int step) {
    if (count <= 0) return;
    trackAltitudes<kColourRangeOnly>(first, count, step, altMax, altMin);
    // Until a sample is counted the two hold the ends of the 16-bit range,
    // which only a counted sample can pass.
    counted = counted || !kColourRangeOnly || altMax >= kMinElevation;
  }

  // The values reached so far into the state.
  void store() {
    state_.altMax = counted ? altMax : 0;
    state_.altMin = counted ? altMin : 0;
    state_.altitudesFound = counted ? 1 : 0;
    // Only a colour actually set is written back, so that the state keeps
    // its exact result when nothing was coloured.
    if (colour != loadedColour_) state_.pixel = SampleColours::unpack(colour);
  }
  // The state's values, as a command may have left them.
  void load() {
    counted = state_.altitudesFound == 1;
    altMax = counted ? state_.altMax : -32768;
    altMin = counted ? state_.altMin : 32767;
    colour = loadedColour_ = SampleColours::pack(state_.pixel);
  }
  // Lets events run with the state up to date.
  void processEvents(DrawHost& host) {
    store();
    host.processEvents();
    load();
  }

 private:
  MapViewState& state_;
  std::uint32_t loadedColour_ = 0;
};

// Text of the optimise-shading dialog's altmax or altmin label: the
// elevation and " m)", or "none)" after a draw that counted no sample.
inline std::string altitudeLabel(const MapViewState& state, int elevation) {
  return state.altitudesFound == 1 ? std::to_string(elevation) + " m)" : std::string("none)");
}

// The drawing message's words for where the map is drawn.
inline std::string drawingModeText(const MapViewState& state) {
  return state.drawInBackground == 0 ? " directly to screen " : " in background ";
}

// Restores the cursor and empties the percentage when a draw ends with an
// error; the error itself goes on to the caller.
class FailureCleanup {
 public:
  FailureCleanup(DrawHost& host, DrawProgress& progress) : host_(host), progress_(progress) {}
  ~FailureCleanup() {
    if (!armed_) return;
    progress_.store();
    try {
      host_.setBusy(false);
      host_.setPercent("");
    } catch (...) {
      // Already unwinding from the error that matters.
    }
  }
  void disarm() { armed_ = false; }

 private:
  DrawHost& host_;
  DrawProgress& progress_;
  bool armed_ = true;
};

// The legend shown while a map is drawn, ending in "Progress:"; the host
// learns from it that the draw has begun.
inline void announceDraw(DrawHost& host, const std::string& legend) {
  host.setLegend(legend);
  host.drawStarted();
}

// The end of a complete draw, the same for both renderers: the altitude
// labels, then `showMap` hands the host the finished map and lets go of
// the raster; the elapsed time, the percentage emptied, the cursor
// restored, then `completed` (an area's own ending); the state takes the
// draw's altitudes and colour last.
inline void endDraw(DrawHost& host, MapViewState& state, DrawProgress& progress, FailureCleanup& cleanup,
                    std::time_t start, const std::function<void()>& showMap,
                    const std::function<void()>& completed = {}) {
  host.setAltitudeLabels(altitudeLabel(state, progress.altMax), altitudeLabel(state, progress.altMin));
  showMap();
  const std::time_t end = host.now();
  host.setLegend(elapsedTimeText(state.mapTitle, end, start));
  host.drawFinished();
  host.setPercent("");
  host.setBusy(false);
  if (completed) completed();
  progress.store();
  cleanup.disarm();
}

}  // namespace tarvelon
