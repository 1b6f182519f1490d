// Drives the real main window in tests: a dialog host that records every
// message and answers every question, a main window that lets a test act
// from inside a draw, and a data folder of sixteen sparse tiles.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DialogHost.h"
#include "app/MarsMain.h"
#include "dem/TileNames.h"
#include "tests/TestFiles.h"

namespace tarvelon::testing {

struct ShownDialog {
  enum class Kind { Information, Error, Message, Question, SaveFile };
  Kind kind;
  QString text;
};

class FakeDialogs : public DialogHost {
 public:
  void information(const QString& text) override { shown.push_back({ShownDialog::Kind::Information, text}); }
  void error(const QString& text) override { shown.push_back({ShownDialog::Kind::Error, text}); }
  void message(const QString& text) override { shown.push_back({ShownDialog::Kind::Message, text}); }
  bool question(const QString& text) override {
    shown.push_back({ShownDialog::Kind::Question, text});
    if (answers.empty()) {
      unanswered = true;
      return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::optional<QString> saveFileName(const SaveFileRequest& request) override {
    shown.push_back({ShownDialog::Kind::SaveFile, request.fileName});
    lastSave = request;
    if (saveAnswers.isEmpty()) {
      unanswered = true;
      return std::nullopt;
    }
    const QString answer = saveAnswers.takeFirst();
    if (answer.isEmpty()) return std::nullopt;
    return answer;
  }

  // Texts shown of one kind, in order.
  QStringList texts(ShownDialog::Kind kind) const {
    QStringList list;
    for (const auto& d : shown) {
      if (d.kind == kind) list << d.text;
    }
    return list;
  }
  void clear() { shown.clear(); }

  std::vector<ShownDialog> shown;
  std::deque<bool> answers;                       // Yes (true) / No (false)
  QStringList saveAnswers;  // a path, or an empty text for Cancel
  SaveFileRequest lastSave;
  bool unanswered = false;  // a question came with no answer queued
};

// The main window with a hook into the renderers' event calls: the hook runs
// with the number of the call (1, 2, ...) of the current draw, before the
// events are let run.
class TestMainForm : public TMainForm {
 public:
  using TMainForm::TMainForm;

  void processEvents() override {
    ++eventCalls;
    if (duringDraw) duringDraw(eventCalls);
    TMainForm::processEvents();
  }

  int eventCalls = 0;
  std::function<void(int call)> duringDraw;
};

// Sixteen sparse tile files under the published names.
class DataFolder {
 public:
  DataFolder() {
    for (const std::string& name : publishedTileNames()) makeSparseFile(dir.file(name));
  }
  // Path of the file of tile t (0..15), by the sorted-listing rule.
  std::string tileFile(int t) const { return dir.file(publishedTileNames()[kListingIndexOfTile[t]]); }
  std::string str() const { return dir.str(); }

  ScratchDir dir;
};

// A start folder holding a settings file that names `folder`.
inline void writeSettingsFile(const ScratchDir& startDir, const std::string& folder, int scheme = 1, int mode = 1) {
  writeText(startDir.file("megdr128.cfg"),
            folder + "\r\n" + std::to_string(scheme) + "\r\n" + std::to_string(mode) + "\r\n");
}

// A main window started in a folder of its own, whose settings file names
// `folder`, answering its dialogs through `dialogs`.
struct StartedWindow {
  ScratchDir startDir;
  FakeDialogs dialogs;
  std::unique_ptr<TestMainForm> form;
};
inline std::unique_ptr<StartedWindow> startWindow(const std::string& folder, int scheme = 1, int mode = 1) {
  auto s = std::make_unique<StartedWindow>();
  writeSettingsFile(s->startDir, folder, scheme, mode);
  s->form = std::make_unique<TestMainForm>(QString::fromStdString(s->startDir.str()), s->dialogs);
  return s;
}

}  // namespace tarvelon::testing
