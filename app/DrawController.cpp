#include "app/DrawController.h"

#include <exception>
#include <utility>

namespace tarvelon {

namespace {

// "0%" before the renderer showed any percentage.
std::string shownPercent(const std::string& percent) { return percent.empty() ? std::string("0%") : percent; }

// Holds back the step the next new area is to choose for itself while the
// map shown is redrawn at its own step, however the redraw ends.
class ShownStep {
 public:
  ShownStep(MapViewState& state, bool active) : state_(state), active_(active), pending_(state.autoResolution) {
    if (active_) state_.autoResolution = 0;
  }
  ~ShownStep() {
    if (active_) state_.autoResolution = pending_;
  }
  ShownStep(const ShownStep&) = delete;
  ShownStep& operator=(const ShownStep&) = delete;

 private:
  MapViewState& state_;
  bool active_;
  int pending_;
};

}  // namespace

// Marks the time a renderer runs. On the way out, however the renderer
// left, the stop flag is cleared (nothing is left to stop) and a close
// asked for during the draw goes ahead; a draw that failed also gets the
// arrow cursor back and its percentage emptied, and what it left on the
// screen counts as incomplete.
class DrawController::Scope {
 public:
  explicit Scope(DrawController& draws) : draws_(draws) {
    draws_.drawing_ = true;
    draws_.stopPressed_ = false;
    draws_.colouringChanged_ = false;
    draws_.lastPercent_.clear();
    draws_.stopPercent_.clear();
  }
  ~Scope() {
    draws_.drawing_ = false;
    draws_.state_.stopRequested = 0;
    if (draws_.hooks_.drawEnded) draws_.hooks_.drawEnded();
    if (std::uncaught_exceptions() > 0) {
      // A failed draw leaves no progress behind, and the status says that
      // the map was not finished.
      const std::string percent = shownPercent(draws_.lastPercent_);
      draws_.incompleteMap_ = "its drawing failed at " + percent;
      draws_.host_.setBusy(false);
      draws_.host_.setLegend(draws_.endedAtText("failed", percent));
      draws_.host_.setPercent({});
    }
    if (draws_.closePending_ && draws_.hooks_.closeLater) draws_.hooks_.closeLater();
  }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  DrawController& draws_;
};

DrawController::DrawController(MapViewState& state, DrawHost& host, Hooks hooks)
    : state_(state), host_(host), hooks_(std::move(hooks)) {}

DrawController::Pass DrawController::runPass(const std::function<bool()>& draw) {
  // A new map ends the annotated view: the draw starts from the user's map.
  if (hooks_.beforeDraw) hooks_.beforeDraw();
  const Scope scope(*this);
  const bool drawn = draw();
  return {!drawn, stopPressed_, colouringChanged_};
}

DrawEnd DrawController::settle(const DrawPlan& plan) {
  // One draw at a time.
  if (drawing_) return DrawEnd::Refused;
  const ShownStep step(state_, plan.atShownStep);
  for (;;) {
    // A colouring chosen during the pass reaches the renderer at its next
    // line: the pass is drawn in the colouring it starts with only if none
    // was chosen, and then it is the last.
    const int scheme = state_.colourScheme;
    const int mode = state_.shadingMode;
    const int relief = state_.reliefShading;
    const Pass pass = runPass(plan.draw);
    if (pass.refused) return DrawEnd::Refused;
    if (plan.record == DrawPlan::Record::Colouring) {
      state_.drawnScheme = scheme;
      state_.drawnMode = mode;
      state_.drawnRelief = relief;
      state_.drawnResolution = state_.resolutionIndex;
    }
    if (plan.drawn) plan.drawn();
    const bool recorded = plan.record != DrawPlan::Record::Nothing;
    if (pass.stopped) {
      if (recorded) reportStop();
      return DrawEnd::Stopped;
    }
    if (recorded) incompleteMap_.clear();
    // Colours changed during the pass: the map is drawn once more, whole.
    if (!pass.colouringChanged || closePending_) return DrawEnd::Completed;
  }
}

bool DrawController::colouringChosen() {
  if (!drawing_) return false;
  colouringChanged_ = true;
  return true;
}

void DrawController::requestStop() {
  if (!drawing_) return;
  state_.stopRequested = 1;
  if (!stopPressed_) stopPercent_ = lastPercent_;
  stopPressed_ = true;
}

bool DrawController::closeRequested() {
  if (drawing_) {
    // Stop the draw first; the window closes once the renderer returned.
    state_.stopRequested = 1;
    stopPressed_ = true;
    closePending_ = true;
    return false;
  }
  closePending_ = false;
  return true;
}

void DrawController::percentShown(const std::string& text) {
  if (!text.empty()) lastPercent_ = text;
}

std::string DrawController::incompleteReason() const {
  // Saved during a draw, the map is what the draw has reached so far.
  if (drawing_) return "it is still being drawn, " + shownPercent(lastPercent_) + " so far";
  return incompleteMap_;
}

std::string DrawController::endedAtText(const std::string& how, const std::string& percent) const {
  return (state_.mapTitle.empty() ? std::string("Drawing") : state_.mapTitle) + " " + how + " at " + percent;
}

void DrawController::reportStop() {
  // The renderer may have moved the percentage on after the stop: the one
  // shown when Terminate was chosen is where the map ends.
  const std::string percent = shownPercent(stopPercent_.empty() ? lastPercent_ : stopPercent_);
  host_.setLegend(endedAtText("stopped", percent));
  host_.setPercent({});
  incompleteMap_ = "its drawing was stopped at " + percent;
  // Nothing complete was drawn: the same resolution draws the map again.
  state_.drawnResolution = -1;
}

}  // namespace tarvelon
