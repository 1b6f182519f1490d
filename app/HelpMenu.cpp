#include "app/HelpMenu.h"

#include <QFile>
#include <cstdint>

#include "app/DialogHost.h"
#include "windows/HelpWindow.h"
#include "core/JpegDecoder.h"

namespace tarvelon {

QImage annotatedMapPicture(QString& problem) {
  QFile file(QString::fromLatin1(kAnnotatedMapResource));
  if (!file.open(QIODevice::ReadOnly)) {
    problem = QStringLiteral("The annotated map of Mars is missing from this build of Tarvelon.");
    return {};
  }
  const QByteArray bytes = file.readAll();
  const DecodedJpeg decoded =
      decodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
  if (!decoded.ok) {
    problem = QStringLiteral("The annotated map of Mars cannot be decoded: %1.")
                  .arg(QString::fromStdString(decoded.error));
    return {};
  }
  if (decoded.width != kAnnotatedMapWidth || decoded.height != kAnnotatedMapHeight) {
    problem = QStringLiteral("The annotated map of Mars is %1 x %2 pixels instead of %3 x %4.")
                  .arg(decoded.width)
                  .arg(decoded.height)
                  .arg(kAnnotatedMapWidth)
                  .arg(kAnnotatedMapHeight);
    return {};
  }
  const QImage rgb(decoded.rgb.data(), decoded.width, decoded.height, decoded.width * 3, QImage::Format_RGB888);
  return rgb.convertToFormat(QImage::Format_RGB32);  // a deep copy: the decoded bytes go
}

void showProgramHelp(std::unique_ptr<HelpWindow>& help, const QStringList& places, const QIcon& icon,
                     DialogHost& dialogs) {
  const QString found = findHelpFile(places);
  if (found.isEmpty()) {
    dialogs.error(QStringLiteral("Tarvelon cannot find its help file %1.\n\nIt looks for it in:\n%2")
                      .arg(QString::fromLatin1(kHelpFileName), places.join(QLatin1Char('\n'))));
    return;
  }
  if (help == nullptr) {
    help = std::make_unique<HelpWindow>();
    help->setWindowIcon(icon);
  }
  // Opened afresh every time: the file may have been replaced meanwhile.
  QString problem;
  if (!help->openFile(found, problem)) {
    dialogs.error(QStringLiteral("Tarvelon cannot show its help.\n\n") + problem);
    return;
  }
  help->showDefaultTopic();
  help->show();
  help->raise();
  help->activateWindow();
}

}  // namespace tarvelon
