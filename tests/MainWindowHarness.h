// Drives the real main window in tests: a dialog host that records every
// message and answers every question, a main window that lets a test act
// from inside a draw, a data folder of sixteen sparse tiles, and the main
// window started on it with the side windows a test asks for.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QString>
#include <QStringList>
#include <QColor>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CursorReadout.h"
#include "app/DialogHost.h"
#include "app/MarsMain.h"
#include "dem/TileNames.h"
#include "render/ColourFunction.h"
#include "select/LocMap.h"
#include "tests/TestFiles.h"
#include "windows/KeyMain.h"
#include "windows/Stretch.h"

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

  // Triggers `command` and stops the draw it starts at event call `call`
  // of that draw.
  void triggerStoppedAt(const char* command, int call) {
    eventCalls = 0;
    duringDraw = [this, call](int at) {
      if (at == call) action(QStringLiteral("m_terminate"))->trigger();
    };
    action(QString::fromLatin1(command))->trigger();
    duringDraw = nullptr;
  }

  int eventCalls = 0;
  std::function<void(int call)> duringDraw;
};

// The window tests' data folder: sixteen full-size sparse tiles under the
// published names.
using DataFolder = SparseTiles;

// The menu item or command whose object name is `name`.
inline QAction* act(TMainForm& form, const char* name) { return form.action(QString::fromLatin1(name)); }

// The colour the colour function gives an elevation.
inline QRgb colourOf(int scheme, int mode, int elevation, const BandLimits& bands = {}) {
  PixelColour pixel;
  elevationColour(scheme, elevation, mode, bands, pixel);
  return qRgb(pixel.pixelRed, pixel.pixelGreen, pixel.pixelBlue);
}

// The colour of row y of the colour key's strip.
inline QRgb stripRow(const TVertKey& key, int y) { return key.strip()->picture().pixel(17, y); }

// The status bar readout after the mouse moves over pixel (x, y) of the map.
inline QString readoutAt(TMainForm& form, int x, int y) {
  QMouseEvent move(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.dmap(), &move);
  return form.readout()->text();
}

// A start folder holding a settings file that names `folder`.
inline void writeSettingsFile(const ScratchDir& startDir, const std::string& folder, int scheme = 1, int mode = 1) {
  writeText(startDir.file("megdr128.cfg"),
            folder + "\r\n" + std::to_string(scheme) + "\r\n" + std::to_string(mode) + "\r\n");
}

// A main window started in a folder of its own, whose settings file names
// `folder`, answering its dialogs through `dialogs`; the side windows are
// there once asked for, and go before the main window as in the program.
struct StartedWindow {
  ScratchDir startDir;
  FakeDialogs dialogs;
  std::unique_ptr<TestMainForm> form;
  std::unique_ptr<TVertKey> key;
  std::unique_ptr<TStretchColours> dialog;  // optimise shading
  std::unique_ptr<TLocationMap> location;

  void addColourKey() {
    key = std::make_unique<TVertKey>(form->state(), form.get());
    form->setColourKey(key.get());
  }
  // The optimise-shading dialog, repainting the colour key when there is one.
  void addStretchDialog() {
    dialog = std::make_unique<TStretchColours>(form->state(), *form, form.get());
    dialog->setColourKey(key.get());
    form->setStretchColours(dialog.get());
  }
  void addLocationMap() {
    location = std::make_unique<TLocationMap>(form.get());
    form->setLocationMap(location.get());
  }
};
inline std::unique_ptr<StartedWindow> startWindow(const std::string& folder, int scheme = 1, int mode = 1) {
  auto s = std::make_unique<StartedWindow>();
  writeSettingsFile(s->startDir, folder, scheme, mode);
  s->form = std::make_unique<TestMainForm>(QString::fromStdString(s->startDir.str()), s->dialogs);
  return s;
}

}  // namespace tarvelon::testing
