// DrawController: when a renderer runs and what its ending leaves behind.
// One draw at a time; a draw repeated, whole, while the colouring changed
// during it; Terminate and the close box during a draw; the status text of
// a draw that was stopped or failed, and whether the map shown is whole.
// It knows no widget: it works on the map view state and the draw host the
// window gives it.
#pragma once

#include <functional>
#include <string>

#include "render/DrawHost.h"
#include "render/MapViewState.h"

namespace tarvelon {

// How a settled draw ended.
enum class DrawEnd {
  Completed,
  Stopped,  // Terminate or a close during the draw: the map is not finished
  Refused,  // nothing was drawn (the renderer told the user why), or a draw was running already
};

// What a draw is, for DrawController::settle.
struct DrawPlan {
  // What a draw's end is written into.
  enum class Record {
    Nothing,   // the map shown is left as the renderer left it
    Ending,    // a stop is reported on the status; a whole map counts as complete
    Colouring, // ... and the scheme, mode, relief and resolution it was drawn in are kept
  };

  // Draws the map once, through the controller's host; false when the
  // renderer refused.
  std::function<bool()> draw;
  // Runs after every pass the renderer did not refuse, finished or not.
  std::function<void()> drawn;
  Record record = Record::Nothing;
  // A redraw of the map shown goes at its own step: a step the next new
  // area is to choose for itself (Map Area opened) waits for that area.
  bool atShownStep = false;
};

class DrawController {
 public:
  // What the window does around a draw.
  struct Hooks {
    std::function<void()> beforeDraw;  // before each pass: the screen shows the user's map
    std::function<void()> drawEnded;   // after each pass, however it ended
    std::function<void()> closeLater;  // a close put off by the draw: closes the window once the command returned
  };

  DrawController(MapViewState& state, DrawHost& host, Hooks hooks);
  DrawController(const DrawController&) = delete;
  DrawController& operator=(const DrawController&) = delete;

  // True while a renderer runs.
  bool drawing() const { return drawing_; }

  // Draws `plan` until the colours settle: a scheme, mode, relief or band
  // change during a pass has the map drawn once more, whole, unless the
  // pass was stopped or a close waits. Refused while a draw runs.
  DrawEnd settle(const DrawPlan& plan);

  // A scheme, mode, relief or band change was chosen. During a draw: true,
  // and the running draw is repeated when it ends; otherwise false, and the
  // caller redraws.
  bool colouringChosen();
  // Terminate: the running draw stops after its line in hand; nothing
  // without a draw.
  void requestStop();
  // The close box or Exit: true when the window may close now; during a
  // draw false, the draw is stopped and the window closes after it.
  bool closeRequested();

  // The host showed `text` as the percentage drawn.
  void percentShown(const std::string& text);

  // Why the map shown is not whole ("it is still being drawn, 35% so
  // far", "its drawing was stopped at 12%"), or empty when it is.
  std::string incompleteReason() const;

 private:
  class Scope;
  struct Pass {
    bool refused = false;
    bool stopped = false;
    bool colouringChanged = false;
  };

  Pass runPass(const std::function<bool()>& draw);
  // A draw was stopped: the status says where, and the map counts as
  // incomplete.
  void reportStop();
  // "<title> stopped at 35%": where an unfinished draw ended.
  std::string endedAtText(const std::string& how, const std::string& percent) const;

  MapViewState& state_;
  DrawHost& host_;
  Hooks hooks_;

  bool drawing_ = false;
  bool stopPressed_ = false;
  bool colouringChanged_ = false;
  bool closePending_ = false;
  std::string lastPercent_;  // the percentage shown last in this draw
  std::string stopPercent_;  // ... when Terminate was chosen
  // Why the map shown is incomplete (a stopped or failed draw), or empty.
  std::string incompleteMap_;
};

}  // namespace tarvelon
