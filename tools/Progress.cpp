#include "tools/Progress.h"

#include <cmath>

#include "render/Rounding.h"

namespace tarvelon::cli {

std::string durationText(double seconds) {
  char text[48];
  if (seconds < 59.95) {
    std::snprintf(text, sizeof text, "%.1f s", seconds < 0 ? 0.0 : seconds);
  } else if (seconds < 3599.5) {
    const long whole = std::lround(seconds);
    std::snprintf(text, sizeof text, "%ld min %02ld s", whole / 60, whole % 60);
  } else {
    const long minutes = std::lround(seconds / 60);
    std::snprintf(text, sizeof text, "%ld h %02ld min", minutes / 60, minutes % 60);
  }
  return text;
}

std::string progressText(int rowsDone, int rows, double seconds) {
  const std::int64_t percent = rows > 0 ? roundHalfEven(std::int64_t(rowsDone) * 100, rows) : 100;
  std::string text = std::to_string(percent) + "% (" + std::to_string(rowsDone) + " of " + std::to_string(rows) +
                     (rows == 1 ? " row, " : " rows, ") + durationText(seconds);
  if (rowsDone > 0 && rowsDone < rows && seconds >= 1.0) {
    text += ", about " + durationText(seconds * (rows - rowsDone) / rowsDone) + " left";
  }
  return text + ")";
}

double ProgressLine::elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressLine::start(const std::string& legend, int rows) {
  legend_ = legend;
  rows_ = rows;
  started_ = true;
  tenthShown_ = 0;
  start_ = std::chrono::steady_clock::now();
  show(0);
}

void ProgressLine::show(int rowsDone) {
  const std::string text = legend_ + " " + progressText(rowsDone, rows_, elapsed());
  if (terminal_) {
    // Back to the start of the line, and clear what a longer text left.
    std::fprintf(out_, "\r%s\x1b[K", text.c_str());
    lineOpen_ = true;
  } else {
    std::fprintf(out_, "%s\n", text.c_str());
  }
  std::fflush(out_);
  lastShown_ = std::chrono::steady_clock::now();
}

void ProgressLine::update(int rowsDone) {
  if (!started_) return;
  if (terminal_) {
    if (std::chrono::steady_clock::now() - lastShown_ >= std::chrono::milliseconds(200)) show(rowsDone);
    return;
  }
  const int tenth = rows_ > 0 ? static_cast<int>(std::int64_t(rowsDone) * 10 / rows_) : 10;
  if (tenth > tenthShown_ && tenth < 10) {
    tenthShown_ = tenth;
    if (rowsDone > 0) show(rowsDone);
  }
}

void ProgressLine::finish(int rowsDone) {
  if (!started_) return;
  show(rowsDone);
  interrupt();
  started_ = false;
}

void ProgressLine::interrupt() {
  if (lineOpen_) {
    std::fputs("\n", out_);
    std::fflush(out_);
    lineOpen_ = false;
  }
}

}  // namespace tarvelon::cli
