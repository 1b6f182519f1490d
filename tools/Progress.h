// The progress line of a long render: rows done, time spent and an
// estimate of the time left.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace tarvelon::cli {

// "12.3 s", "4 min 05 s", "1 h 02 min".
std::string durationText(double seconds);

// "37% (2083 of 5632 rows, 1.2 s, about 2.0 s left)": the estimate only
// once a second has gone and a row is done, and not at the end.
std::string progressText(int rowsDone, int rows, double seconds);

// Shows progressText after `legend`: on a terminal in place, at most a few
// times a second; elsewhere (a log) one line per tenth of the rows.
class ProgressLine {
 public:
  ProgressLine(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

  void start(const std::string& legend, int rows);
  void update(int rowsDone);
  // The last line, and the end of it.
  void finish(int rowsDone);
  // Ends the line in hand before some other message.
  void interrupt();

 private:
  void show(int rowsDone);
  double elapsed() const;

  std::FILE* out_;
  bool terminal_;
  bool started_ = false;
  bool lineOpen_ = false;
  std::string legend_;
  int rows_ = 0;
  int tenthShown_ = -1;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastShown_;
};

}  // namespace tarvelon::cli
