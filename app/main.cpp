// Tarvelon: colour-shaded relief maps of Mars from the MEGDR128 tiles.
// The program takes no options; its settings file lives in the folder it
// is started in.
#include <QApplication>
#include <QDir>

#include "app/MarsMain.h"
#include "app/QtDialogHost.h"
#include "select/LocMap.h"
#include "windows/KeyMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarvelon"));

  tarvelon::QtDialogHost dialogs;
  // The windows are created hidden, the main window first.
  tarvelon::TMainForm mainForm(QDir::currentPath(), dialogs);
  if (mainForm.startUpEnded()) return 0;
  dialogs.setParent(&mainForm);
  tarvelon::TVertKey colourKey(mainForm.state(), &mainForm);
  mainForm.setColourKey(&colourKey);
  // The about box follows here.
  tarvelon::TLocationMap locationMap(&mainForm);
  mainForm.setLocationMap(&locationMap);
  // The optimise-shading dialog follows here.

  mainForm.showMaximized();
  return app.exec();
}
