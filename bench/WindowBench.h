// What the main-window benchmarks share: dialogs that print, and medians.
#pragma once

#include <QString>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "app/DialogHost.h"

namespace tarvelon::bench {

// Prints every message; answers every question with No.
class PrintingDialogs : public DialogHost {
 public:
  void information(const QString& text) override { print("information", text); }
  void error(const QString& text) override { print("error", text); }
  void message(const QString& text) override { print("message", text); }
  bool question(const QString& text) override {
    print("question", text);
    return false;
  }
  std::optional<QString> saveFileName(const SaveFileRequest&) override { return std::nullopt; }

 private:
  static void print(const char* kind, const QString& text) {
    std::fprintf(stderr, "[%s] %s\n", kind, qPrintable(text));
  }
};

inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace tarvelon::bench
