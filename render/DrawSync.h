// What both renderers keep in locals while they draw and hand back to the
// shared state whenever commands may run (they run inside
// DrawHost::processEvents and may read or change these values).
#pragma once

#include <cstdint>
#include <string>

#include "render/DrawHost.h"
#include "render/MapViewState.h"
#include "render/SampleColours.h"

namespace tarvelon {

struct DrawProgress {
  int altMax = 0;
  int altMin = 0;
  std::uint32_t colour = 0;  // the current colour as a table entry

  explicit DrawProgress(MapViewState& state) : state_(state) { load(); }

  // A draw starts its highest and lowest at 0 m: they take part in the
  // tracking, so the highest is never below 0 and the lowest never above.
  void startAtZero() {
    altMax = 0;
    altMin = 0;
    store();
  }

  // The values reached so far into the state.
  void store() {
    state_.altMax = altMax;
    state_.altMin = altMin;
    // Only a colour actually set is written back, so that the state keeps
    // its exact result when nothing was coloured.
    if (colour != loadedColour_) state_.pixel = SampleColours::unpack(colour);
  }
  // The state's values, as a command may have left them.
  void load() {
    altMax = state_.altMax;
    altMin = state_.altMin;
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

}  // namespace tarvelon
