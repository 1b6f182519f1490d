// Tarvelon: colour-shaded relief maps of Mars from the MEGDR128 tiles.
// The program takes no options; its settings file lives in the folder it
// is started in.
#include <QApplication>
#include <QDir>

#include "app/MarsMain.h"
#include "app/QtDialogHost.h"
#include "render/BlankRaster.h"
#include "select/LocMap.h"
#include "windows/KeyMain.h"
#include "windows/Stretch.h"
#include "windows/about.h"

int main(int argc, char** argv) {
  tarvelon::reuseRasterMemory();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarvelon"));
  QApplication::setWindowIcon(tarvelon::TMainForm::programIcon());

  tarvelon::QtDialogHost dialogs;
  // The windows are created hidden, the main window first.
  tarvelon::TMainForm mainForm(QDir::currentPath(), dialogs);
  if (mainForm.startUpEnded()) return 0;
  dialogs.setParent(&mainForm);
  tarvelon::TVertKey colourKey(mainForm.state(), &mainForm);
  mainForm.setColourKey(&colourKey);
  tarvelon::TProgDetails aboutBox(mainForm.windowIcon());
  mainForm.setAboutBox(&aboutBox);
  tarvelon::TLocationMap locationMap(&mainForm);
  mainForm.setLocationMap(&locationMap);
  tarvelon::TStretchColours stretchColours(mainForm.state(), mainForm, &mainForm);
  stretchColours.setColourKey(&colourKey);
  mainForm.setStretchColours(&stretchColours);

  mainForm.showMaximized();
  return app.exec();
}
