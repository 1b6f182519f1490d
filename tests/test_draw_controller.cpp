// DrawController: the settle loop, Terminate, a close during a draw, one
// draw at a time and what a stopped or failed draw leaves on the status,
// driven by a renderer stand-in through a recording host.
#include "app/DrawController.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/RecordingHost.h"

namespace tarvelon {
namespace {

// The recorder, telling the controller every percentage, as the screen does.
class Host : public testing::RecordingHost {
 public:
  DrawController* draws = nullptr;
  void setPercent(const std::string& text) override {
    RecordingHost::setPercent(text);
    draws->percentShown(text);
  }
};

class DrawControllerTest : public ::testing::Test {
 protected:
  DrawControllerTest()
      : draws(state, host, {[this] { ++beforeDraws; }, [this] { ++drawsEnded; }, [this] { ++closes; }}) {
    host.draws = &draws;
    state.mapTitle = "Tile: megt00n000hb.img";
  }

  // A renderer of ten lines: each shows its percentage, lets events run
  // and stops after the line when asked; it notes the scheme of each pass.
  bool drawTenLines() {
    passSchemes.push_back(state.colourScheme);
    EXPECT_TRUE(draws.drawing());
    for (int line = 1; line <= 10; ++line) {
      host.setPercent(std::to_string(line * 10) + "%");
      host.processEvents();
      if (state.stopRequested == 1) return true;
    }
    host.setLegend("processed");
    host.setPercent({});
    return true;
  }
  DrawEnd settle(DrawPlan::Record record = DrawPlan::Record::Colouring) {
    DrawPlan plan;
    plan.draw = [this] { return drawTenLines(); };
    plan.drawn = [this] { ++drawnHooks; };
    plan.record = record;
    plan.atShownStep = true;
    return draws.settle(plan);
  }

  MapViewState state;
  Host host;
  DrawController draws;
  std::vector<int> passSchemes;
  int beforeDraws = 0, drawsEnded = 0, closes = 0, drawnHooks = 0;
};

TEST_F(DrawControllerTest, ColoursChosenDuringAPassDrawTheMapAgainUntilTheySettle) {
  state.resolutionIndex = 4;
  host.onEvents = [&](int call) {
    // Line 3 of the first pass and line 5 of the second.
    if (call == 3 || call == 15) {
      state.colourScheme = call == 3 ? 2 : 4;
      EXPECT_TRUE(draws.colouringChosen());
    }
  };
  EXPECT_EQ(settle(), DrawEnd::Completed);
  EXPECT_EQ(passSchemes, (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(host.eventsRun, 30);  // every pass whole
  EXPECT_EQ(beforeDraws, 3);
  EXPECT_EQ(drawsEnded, 3);
  EXPECT_EQ(drawnHooks, 3);
  // The map shown is the last pass's.
  EXPECT_EQ(state.drawnScheme, 4);
  EXPECT_EQ(state.drawnResolution, 4);
  EXPECT_FALSE(draws.drawing());

  // Chosen with no draw running, a colouring is the caller's to redraw, and
  // the next draw runs once.
  EXPECT_FALSE(draws.colouringChosen());
  host.onEvents = nullptr;
  passSchemes.clear();
  EXPECT_EQ(settle(), DrawEnd::Completed);
  EXPECT_EQ(passSchemes.size(), 1u);
}

TEST_F(DrawControllerTest, TheRedrawKeepsTheStepTheNextAreaChoosesForLater) {
  state.autoResolution = 1;
  host.onEvents = [&](int) { EXPECT_EQ(state.autoResolution, 0); };
  settle();
  EXPECT_EQ(state.autoResolution, 1);
  DrawPlan refused;
  refused.draw = [] { return false; };
  refused.drawn = [this] { ++drawnHooks; };
  refused.record = DrawPlan::Record::Colouring;
  state.colourScheme = 3;
  drawnHooks = 0;
  EXPECT_EQ(draws.settle(refused), DrawEnd::Refused);
  EXPECT_EQ(drawnHooks, 0);
  EXPECT_EQ(state.drawnScheme, 1);  // a refused draw drew nothing
}

TEST_F(DrawControllerTest, TerminateEndsTheLoopWhereItWasChosen) {
  // No draw: Terminate leaves the next one alone.
  draws.requestStop();
  EXPECT_EQ(state.stopRequested, 0);

  host.onEvents = [&](int call) {
    if (call != 3) return;
    draws.requestStop();
    state.colourScheme = 2;
    draws.colouringChosen();
    host.setPercent("40%");  // the renderer moved on after the stop
  };
  EXPECT_EQ(settle(), DrawEnd::Stopped);
  EXPECT_EQ(host.eventsRun, 3);  // no second pass for the colours
  EXPECT_EQ(state.stopRequested, 0);
  EXPECT_EQ(host.legend, "Tile: megt00n000hb.img stopped at 30%");
  EXPECT_EQ(host.percent, "");
  EXPECT_EQ(state.drawnResolution, -1);  // the same resolution draws it again
  EXPECT_EQ(draws.incompleteReason(), "its drawing was stopped at 30%");

  // A whole map afterwards is complete again.
  host.onEvents = nullptr;
  EXPECT_EQ(settle(), DrawEnd::Completed);
  EXPECT_EQ(draws.incompleteReason(), "");
}

TEST_F(DrawControllerTest, ARedrawThatRecordsNothingLeavesTheStatusToTheRenderer) {
  state.drawnResolution = 2;
  host.onEvents = [&](int call) {
    if (call == 1) draws.requestStop();
  };
  EXPECT_EQ(settle(DrawPlan::Record::Nothing), DrawEnd::Stopped);
  EXPECT_EQ(host.count("legend"), 0);
  EXPECT_EQ(draws.incompleteReason(), "");
  EXPECT_EQ(state.drawnResolution, 2);
  EXPECT_EQ(state.drawnScheme, -1);
}

TEST_F(DrawControllerTest, ACloseDuringADrawStopsItAndClosesAfterward) {
  EXPECT_TRUE(draws.closeRequested());
  EXPECT_EQ(closes, 0);
  host.onEvents = [&](int call) {
    if (call == 2) {
      EXPECT_FALSE(draws.closeRequested());
      draws.colouringChosen();
    }
    EXPECT_EQ(closes, 0);  // not while the renderer runs
  };
  EXPECT_EQ(settle(), DrawEnd::Stopped);
  EXPECT_EQ(host.eventsRun, 2);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(state.stopRequested, 0);

  // A draw before the window went is not repeated for colours: the close
  // still waits, and is asked for again.
  host.onEvents = [&](int call) {
    if (call == 5) draws.colouringChosen();
  };
  EXPECT_EQ(settle(), DrawEnd::Completed);
  EXPECT_EQ(host.eventsRun, 12);
  EXPECT_EQ(closes, 2);
  EXPECT_TRUE(draws.closeRequested());  // the window may go now
}

TEST_F(DrawControllerTest, ADrawAskedForWhileOneRunsIsRefused) {
  int innerDraws = 0;
  host.onEvents = [&](int call) {
    if (call != 4) return;
    DrawPlan inner;
    inner.draw = [&] {
      ++innerDraws;
      return true;
    };
    EXPECT_EQ(draws.settle(inner), DrawEnd::Refused);
    EXPECT_EQ(draws.incompleteReason(), "it is still being drawn, 40% so far");
  };
  EXPECT_EQ(settle(), DrawEnd::Completed);
  EXPECT_EQ(innerDraws, 0);
  EXPECT_EQ(host.eventsRun, 10);
  EXPECT_EQ(beforeDraws, 1);
}

TEST_F(DrawControllerTest, AFailedDrawSaysWhereItFailedAndLeavesNoDrawBehind) {
  state.autoResolution = 1;
  host.onEvents = [&](int call) {
    if (call == 2) throw std::runtime_error("short tile");
  };
  EXPECT_THROW(settle(), std::runtime_error);
  EXPECT_FALSE(draws.drawing());
  EXPECT_EQ(drawsEnded, 1);
  EXPECT_EQ(drawnHooks, 0);
  EXPECT_EQ(state.autoResolution, 1);
  EXPECT_EQ(host.legend, "Tile: megt00n000hb.img failed at 20%");
  EXPECT_EQ(host.percent, "");
  EXPECT_EQ(host.calls.back(), "percent ");
  EXPECT_EQ(host.count("busy 0"), 1);
  EXPECT_EQ(draws.incompleteReason(), "its drawing failed at 20%");

  // Failed before any percentage: at 0%, and "Drawing" with no title.
  state.mapTitle.clear();
  host.onEvents = nullptr;
  DrawPlan failing;
  failing.draw = []() -> bool { throw std::runtime_error("unreadable"); };
  EXPECT_THROW(draws.settle(failing), std::runtime_error);
  EXPECT_EQ(host.legend, "Drawing failed at 0%");
}

}  // namespace
}  // namespace tarvelon
