// The Help menu: the about box, the sourcing note, Program Help and its
// window, and the annotated tile map.
#include <sys/stat.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/MapImage.h"
#include "render/BmpWriter.h"
#include "tests/MainWindowHarness.h"
#include "windows/HelpWindow.h"
#include "windows/about.h"

using namespace tarvelon;
using namespace tarvelon::testing;
using Kind = ShownDialog::Kind;

namespace {

const QString kSample = QStringLiteral(TARVELON_TEST_DATA "/sample.chm");

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void copyPart(const QString& from, const std::string& to, std::size_t length) {
  const std::string whole = bytesOf(from.toStdString());
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  out.write(whole.data(), std::streamsize(std::min(length, whole.size())));
}

QByteArray rasterBytes(const Raster& raster) {
  return QByteArray(reinterpret_cast<const char*>(raster.row(0)), qsizetype(raster.rowBytes()) * raster.height);
}

}  // namespace

class HelpMenuTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<DataFolder> data_;

  struct Started {
    ScratchDir startDir;
    ScratchDir programDir;  // stands for the executable's and the data folder
    FakeDialogs dialogs;
    std::unique_ptr<TestMainForm> form;
  };
  std::unique_ptr<Started> start() {
    auto s = std::make_unique<Started>();
    writeSettingsFile(s->startDir, data_->str(), 1, 1);
    s->form = std::make_unique<TestMainForm>(QString::fromStdString(s->startDir.str()), s->dialogs);
    s->form->setHelpSearchDirs({QString::fromStdString(s->programDir.file("bin")),
                                QString::fromStdString(s->programDir.file("bin/../share"))});
    return s;
  }

 private slots:
  void initTestCase() {
    data_ = std::make_unique<DataFolder>();
    writeTileLine(data_->tileFile(0), 0, [](int column) { return column < 5000 ? 3000 : -1000; });
    writeTileLine(data_->tileFile(1), 0, [](int) { return 5000; });
  }

  void aboutBoxShowsItsTextsOnceCentred() {
    const QIcon icon = TMainForm::programIcon();
    QVERIFY(!icon.isNull());
    TProgDetails box(icon);
    QCOMPARE(box.windowTitle(), QStringLiteral("ProgDetails"));
    QCOMPARE(box.size(), QSize(384, 201));
    QVERIFY(box.isHidden());
    QVERIFY(!box.isModal());
    QCOMPARE(box.progname()->text(), QStringLiteral("Tarvelon"));
    QCOMPARE(box.version()->text(), QStringLiteral("version 0.57"));
    QCOMPARE(box.date()->text(), QStringLiteral("July 26, 2020"));
    QVERIFY(box.label3()->text().contains(QStringLiteral("NASA's Mars Global Surveyor MOLA team")));
    QVERIFY(box.label3()->text().contains(QStringLiteral("Planetary Data System")));
    QVERIFY(box.dversion()->text().startsWith(QStringLiteral("Built with Qt 6.")));
    QCOMPARE(box.image1()->pixmap().size(), QSize(64, 64));
    QCOMPARE(box.image1()->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
             icon.pixmap(64, 64).toImage().convertToFormat(QImage::Format_ARGB32));
    QCOMPARE(box.button1()->text(), QStringLiteral("&Close"));
    // Every text fits its box, the credit's two lines included.
    for (const QLabel* label : box.findChildren<QLabel*>()) {
      if (label->text().isEmpty()) continue;
      const QStringList lines = label->text().split(QLatin1Char('\n'));
      for (const QString& line : lines) {
        QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= label->width(), qPrintable(label->objectName()));
      }
      if (lines.size() > 1) {
        QVERIFY2(label->fontMetrics().height() * lines.size() <= label->height(), qPrintable(label->objectName()));
      }
    }
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint centred((screen.width() - 400) / 2, (screen.height() - 240) / 2);
    QCOMPARE(box.pos(), centred);

    // About (Ctrl+A) shows it where it was put; Close hides it.
    auto s = start();
    s->form->setAboutBox(&box);
    s->form->activateShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    QVERIFY(box.isVisible());
    QCOMPARE(box.pos(), centred);
    s->form->activateShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    QVERIFY(box.isVisible());
    QCOMPARE(box.pos(), centred);
    QCOMPARE(box.progname()->text(), QStringLiteral("Tarvelon"));
    box.button1()->click();
    QVERIFY(box.isHidden());
    QCOMPARE(s->form->windowIcon().pixmap(64, 64).toImage().convertToFormat(QImage::Format_ARGB32),
             icon.pixmap(64, 64).toImage().convertToFormat(QImage::Format_ARGB32));
  }

  void sourcingNoteNamesThePage() {
    auto s = start();
    s->form->action("m_h005")->trigger();
    QCOMPARE(s->dialogs.texts(Kind::Information),
             QStringList{QStringLiteral("The MEGDR128 128 pixel/degree MOLA Digital Elevation Model\n"
                                        "files may be downloaded from:\n\n"
                                        "https://pds-geosciences.wustl.edu/missions/mgs/megdr.html\n\n"
                                        "See the Help File for further details.\n")});
  }

  void programHelpFindsTheFileOrSaysWhy() {
    // Joined with one "/", also after the root.
    QCOMPARE(helpFilePlaces({QStringLiteral("/"), QString()}), QStringList{QStringLiteral("/tarvelon.chm")});
    QCOMPARE(helpFilePlaces({QStringLiteral("/a"), QStringLiteral("/b/"), QStringLiteral("/b/c/.."), QStringLiteral("/a")}),
             (QStringList{QStringLiteral("/a/tarvelon.chm"), QStringLiteral("/b/tarvelon.chm")}));

    auto s = start();
    TestMainForm& form = *s->form;
    const QString inStart = QString::fromStdString(s->startDir.file("tarvelon.chm"));
    const QString inBin = QString::fromStdString(s->programDir.file("bin/tarvelon.chm"));
    const QString inShare = QString::fromStdString(s->programDir.file("share/tarvelon.chm"));
    QCOMPARE(form.helpFilePlaces(), (QStringList{inStart, inBin, inShare}));

    // Nowhere: one clear message, no window.
    form.activateShortcut(QKeySequence(Qt::Key_F1));
    QCOMPARE(s->dialogs.texts(Kind::Error),
             QStringList{QStringLiteral("Tarvelon cannot find its help file tarvelon.chm.\n\nIt looks for it in:\n") +
                         inStart + QLatin1Char('\n') + inBin + QLatin1Char('\n') + inShare});
    QVERIFY(form.helpWindow() == nullptr);

    // Empty, then cut short, in the start folder: the fault, named.
    std::filesystem::create_directories(s->programDir.file("bin"));
    copyPart(kSample, inStart.toStdString(), 0);
    s->dialogs.clear();
    form.action("m_h001")->trigger();
    QCOMPARE(s->dialogs.texts(Kind::Error),
             QStringList{QStringLiteral("Tarvelon cannot show its help.\n\nThe help file ") + inStart +
                         QStringLiteral(" is empty.")});
    copyPart(kSample, inStart.toStdString(), 5000);
    s->dialogs.clear();
    form.action("m_h001")->trigger();
    const QStringList errors = s->dialogs.texts(Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].startsWith(QStringLiteral("Tarvelon cannot show its help.\n\nThe help file ") + inStart +
                                  QStringLiteral(" is truncated or damaged")),
             qPrintable(errors[0]));
    QVERIFY(form.helpWindow() == nullptr || form.helpWindow()->isHidden());

    // Beside the executable, with none in the start folder: opened at its
    // default topic.
    QFile::remove(inStart);
    QVERIFY(QFile::copy(kSample, inBin));
    s->dialogs.clear();
    form.activateShortcut(QKeySequence(Qt::Key_F1));
    QVERIFY(s->dialogs.shown.empty());
    HelpWindow* help = form.helpWindow();
    QVERIFY(help != nullptr && help->isVisible());
    QCOMPARE(help->windowTitle(), QStringLiteral("Sample Help"));
    QCOMPARE(help->browser()->source(), QUrl(QStringLiteral("chm:/start.html")));
    QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Sample help")));

    // Replaced by a damaged copy: the message, and the window keeps its pages.
    copyPart(kSample, inBin.toStdString(), 9000);
    form.activateShortcut(QKeySequence(Qt::Key_F1));
    QCOMPARE(s->dialogs.texts(Kind::Error).size(), 1);
    QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Sample help")));
  }

  void helpWindowFollowsContentsLinksAndHistory() {
    HelpWindow help;
    QString problem;
    QVERIFY(!help.openFile(QStringLiteral("/nonexistent/tarvelon.chm"), problem));
    QCOMPARE(problem, QStringLiteral("The help file /nonexistent/tarvelon.chm does not exist."));
    QVERIFY(help.openFile(kSample, problem));
    help.showDefaultTopic();
    HelpBrowser* browser = help.browser();
    QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/start.html")));
    QVERIFY(!help.backAction()->isEnabled());

    // The contents, nested as the file's table gives them.
    QTreeWidget* contents = help.contents();
    QCOMPARE(contents->topLevelItemCount(), 1);
    QTreeWidgetItem* first = contents->topLevelItem(0);
    QCOMPARE(first->text(0), QStringLiteral("Start"));
    QCOMPARE(first->childCount(), 1);
    QCOMPARE(first->child(0)->text(0), QStringLiteral("Second & last"));
    QCOMPARE(first->child(0)->child(0)->text(0), QStringLiteral("Colours"));
    QCOMPARE(contents->currentItem(), first);

    // Pictures come out of the file.
    const QVariant picture = browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pictures/dot.png")));
    const QImage dot = QImage::fromData(picture.toByteArray());
    QCOMPARE(dot.size(), QSize(3, 2));
    QCOMPARE(dot.pixel(1, 0), qRgb(0, 0, 255));
    QCOMPARE(dot.pixel(0, 0), qRgb(255, 0, 0));
    // A page that is not there says so; nothing is read from the disk.
    QVERIFY(browser->loadResource(QTextDocument::HtmlResource, QUrl(QStringLiteral("chm:/none.html")))
                .toString()
                .contains(QStringLiteral("There is no page &quot;/none.html&quot; in the help file.")));
    QVERIFY(!browser->loadResource(QTextDocument::ImageResource, QUrl::fromLocalFile(kSample)).isValid());

    // A link, relative to the page, to a place on another page.
    emit browser->anchorClicked(QUrl(QStringLiteral("pages/second.html#colours")));
    QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/pages/second.html#colours")));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Colours & modes")));
    QCOMPARE(contents->currentItem(), first->child(0)->child(0));
    QVERIFY(help.backAction()->isEnabled());
    // The page's picture, named relative to its own folder.
    const QVariant again = browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("../pictures/dot.png")));
    QCOMPARE(again.toByteArray(), picture.toByteArray());
    // Back, Forward and a link back up.
    help.backAction()->trigger();
    QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/start.html")));
    QVERIFY(help.forwardAction()->isEnabled());
    help.forwardAction()->trigger();
    QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/pages/second.html#colours")));
    emit browser->anchorClicked(QUrl(QStringLiteral("../start.html")));
    QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/start.html")));

    // An entry of the contents opens its page; Contents goes home.
    emit contents->itemClicked(first->child(0), 0);
    QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/pages/second.html")));
    help.homeAction()->trigger();
    QCOMPARE(browser->source(), QUrl(QStringLiteral("chm:/start.html")));
  }

  // Pages a damaged help file may hold: tables opened by stray cells
  // dozens deep (laid out in time that doubles with each level), too many
  // cells, a NUL. The sample's own pages pass.
  void damagedPagesAreRefusedBeforeTheirLayout() {
    QByteArray nested;
    for (int level = 0; level < 50; ++level) nested += "<table border=\"1\"><tr><td>Lunae Mensa</td><td>";
    QVERIFY(helpPageProblem(nested).contains(QStringLiteral("nests tables more than 4 deep")));
    QByteArray deepest;
    for (int level = 0; level < kDeepestHelpFrames; ++level) deepest += "<table><tr><td>x";
    QCOMPARE(helpPageProblem(deepest), QString());
    QVERIFY(helpPageProblem(deepest + "<table><tr><td>x").contains(QStringLiteral("more than 4 deep")));
    const QByteArray row = "<tr>" + QByteArray("<td>1</td>").repeated(10) + "</tr>";
    QCOMPARE(helpPageProblem("<table>" + row.repeated(2000) + "</table>"), QString());
    QVERIFY(helpPageProblem("<table>" + row.repeated(2001) + "</table>").contains(QStringLiteral("more than 20000 cells")));
    QVERIFY(helpPageProblem(QByteArray("<p>a\0b</p>", 9)).contains(QStringLiteral("no text")));
    QVERIFY(helpPageProblem(QByteArray(kLargestHelpPage + 1, 'x')).contains(QStringLiteral("more than a help page")));

    std::string error;
    const auto sample = ChmFile::open(kSample.toStdString(), error);
    QVERIFY(sample != nullptr);
    for (const char* page : {"/start.html", "/pages/second.html"}) {
      std::string bytes;
      QVERIFY(sample->read(page, bytes, error));
      QCOMPARE(helpPageProblem(QByteArray::fromStdString(bytes)), QString());
    }
  }

  void anUnreadableHelpFileSaysWhy() {
    const QString folder = QDir::tempPath() + QStringLiteral("/tarvelon-help-") + QString::number(QCoreApplication::applicationPid());
    QVERIFY(QDir().mkpath(folder));
    const QString locked = folder + QStringLiteral("/locked.chm");
    QFile::remove(locked);
    QVERIFY(QFile::copy(kSample, locked));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                      QFile::ExeOther);
    QFile::setPermissions(locked, QFileDevice::Permissions());
    HelpWindow help;
    QString problem;
    {
      testing::AsOrdinaryUser user;
      QVERIFY(!help.openFile(locked, problem));
    }
    QCOMPARE(problem, QStringLiteral("The help file %1 cannot be read: Permission denied.").arg(locked));
    const QString fifo = folder + QStringLiteral("/fifo.chm");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QVERIFY(!help.openFile(fifo, problem));
    QCOMPARE(problem, QStringLiteral("%1 is not a file.").arg(fifo));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(QDir(folder).removeRecursively());
  }

  void annotatedMapCoversTheUsersMapAndGivesItBack() {
    QString problem;
    const QImage mars = TMainForm::annotatedMapPicture(problem);
    QVERIFY2(!mars.isNull(), qPrintable(problem));
    QCOMPARE(mars.size(), QSize(1440, 720));

    auto s = start();
    TestMainForm& form = *s->form;
    QAction* item = form.action("m_h003");
    // Before any map: shown and hidden, the empty map area comes back.
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    QCOMPARE(form.state().annotatedShown, 1);
    QCOMPARE(form.dmap()->picture(), mars);
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    QCOMPARE(form.state().annotatedShown, 0);
    QVERIFY(!form.dmap()->hasPicture());
    QCOMPARE(form.dmap()->size(), QSize(120, 170));
    QCOMPARE(form.dmap2()->size(), QSize(496, 241));

    form.action("m_tile00")->trigger();
    const QByteArray drawn = rasterBytes(form.dmap()->toRaster());
    const QString title = QString::fromStdString(form.state().mapTitle);
    QCOMPARE(form.dmap()->size(), QSize(480, 235));

    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    QVERIFY(item->isChecked());
    QCOMPARE(form.dmap()->size(), QSize(1440, 720));
    QCOMPARE(form.dmap2()->size(), QSize(1456, 736));
    QCOMPARE(form.dmap()->picture(), mars);
    QCOMPARE(QString::fromStdString(form.state().mapTitle), title);
    QVERIFY(form.action("m_SaveMap")->isEnabled());

    // Save Map saves the user's map, not the picture over it.
    const std::string saved = s->startDir.file("saved.bmp");
    s->dialogs.saveAnswers << QString::fromStdString(saved);
    form.action("m_SaveMap")->trigger();
    const std::string expected = s->startDir.file("expected.bmp");
    writeBmp(MapImage::rasterOf(form.userMap()), expected);
    QCOMPARE(rasterBytes(MapImage::rasterOf(form.userMap())), drawn);
    QCOMPARE(bytesOf(saved), bytesOf(expected));
    QCOMPARE(bytesOf(saved).size(), std::size_t(54 + 480 * 3 * 235));

    // Opening the tile menu leaves the annotated map up to choose from.
    form.openMenu("m_load");
    QCOMPARE(form.dmap()->picture(), mars);

    // Hidden again: the same map, byte for byte, at its sizes.
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    QVERIFY(!item->isChecked());
    QCOMPARE(form.state().annotatedShown, 0);
    QCOMPARE(rasterBytes(form.dmap()->toRaster()), drawn);
    QCOMPARE(form.dmap()->size(), QSize(480, 235));
    QCOMPARE(form.dmap2()->size(), QSize(496, 251));

    // A new map drawn while it is shown ends the annotated view.
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    form.action("m_tile01")->trigger();
    QCOMPARE(form.state().annotatedShown, 0);
    QVERIFY(!item->isChecked());
    QCOMPARE(form.dmap()->size(), QSize(480, 235));
    const QByteArray second = rasterBytes(form.dmap()->toRaster());
    QVERIFY(second != drawn);
    // and the next use shows it again over the new map, and gives that back.
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    QCOMPARE(form.dmap()->picture(), mars);
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    QCOMPARE(rasterBytes(form.dmap()->toRaster()), second);

    // So does a resolution change.
    form.activateShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    form.activateShortcut(QKeySequence(Qt::Key_F6));
    QCOMPARE(form.state().annotatedShown, 0);
    QCOMPARE(form.dmap()->size(), QSize(1152, 563));

    // During a draw the picture belongs to the draw.
    form.duringDraw = [&](int call) {
      if (call == 3) item->trigger();
    };
    form.action("m_tile00")->trigger();
    form.duringDraw = nullptr;
    QCOMPARE(form.state().annotatedShown, 0);
    QVERIFY(!item->isChecked());
    QCOMPARE(form.dmap()->size(), QSize(480, 235));
  }
};

QTEST_MAIN(HelpMenuTest)
#include "test_help_menu.moc"
