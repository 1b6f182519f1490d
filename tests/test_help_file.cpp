// The help file the build compiles from assets/help: it opens at its first
// page, every entry of its contents and every link and picture of its pages
// lead somewhere inside it, and it names every command of the menus, of
// tarvelon-render and of the explorer's toolbar, the explorer's levels as
// its status bar gives them and keys that do what it says.
#include <QAction>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>
#include <map>
#include <set>

#include "app/MainMenu.h"
#include "core/ChmFile.h"
#include "render/ExploreView.h"
#include "select/Gazetteer.h"
#include "windows/ExplorerWindow.h"
#include "windows/HelpWindow.h"
#include "windows/ProfileWindow.h"

using namespace tarvelon;

namespace {

// The values of `attribute`="..." in a page, in order.
std::vector<std::string> attributeValues(const std::string& page, const std::string& attribute) {
  std::vector<std::string> values;
  const std::string key = attribute + "=\"";
  for (std::size_t at = page.find(key); at != std::string::npos; at = page.find(key, at + 1)) {
    const std::size_t start = at + key.size();
    const std::size_t end = page.find('"', start);
    if (end == std::string::npos) break;
    values.push_back(page.substr(start, end - start));
  }
  return values;
}

// `link` from the page at `page` ("/menus.html") as a path inside the file,
// its fragment kept.
std::string resolve(const std::string& page, const std::string& link) {
  if (!link.empty() && link[0] == '#') return page + link;
  const std::string folder = page.substr(0, page.rfind('/') + 1);
  const std::size_t hash = link.find('#');
  std::string path = chmObjectPath(folder + link.substr(0, hash));
  if (hash != std::string::npos) path += link.substr(hash);
  return path;
}

// True for the component name of one of the eight feature lists.
bool isFeatureList(const QString& component) {
  for (const FeatureMenu& menu : featureMenus()) {
    if (component == QLatin1String(menu.component)) return true;
  }
  return false;
}

// A caption as an HTML page writes it.
std::string escapedCaption(const QString& caption) {
  QString text = caption;
  text.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
  return text.toStdString();
}

// The part of a page from the anchor `name` to the next heading.
QString section(const std::string& page, const QString& name) {
  const QString html = QString::fromStdString(page);
  const qsizetype start = html.indexOf(QStringLiteral("name=\"") + name + QLatin1Char('"'));
  if (start < 0) return {};
  const qsizetype end = html.indexOf(QStringLiteral("<h2"), start);
  return html.mid(start, end < 0 ? -1 : end - start);
}

// The cells of each row of the tables in `html`, their text without tags.
std::vector<QStringList> tableRows(const QString& html) {
  std::vector<QStringList> rows;
  static const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"),
                                      QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression cell(QStringLiteral("<td>(.*?)</td>"),
                                       QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
  for (auto r = row.globalMatch(html); r.hasNext();) {
    const QString cells = r.next().captured(1);
    QStringList texts;
    for (auto c = cell.globalMatch(cells); c.hasNext();) {
      QString text = c.next().captured(1);
      text.remove(tag);
      text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
      texts << text.simplified();
    }
    if (!texts.isEmpty()) rows.push_back(texts);  // a heading row has none
  }
  return rows;
}

// What tarvelon-render writes to its standard output for `arguments`.
QString renderOutput(const QStringList& arguments) {
  QProcess tool;
  tool.start(QStringLiteral(TARVELON_RENDER_PATH), arguments);
  if (!tool.waitForFinished(30000)) return {};
  return QString::fromUtf8(tool.readAllStandardOutput());
}

}  // namespace

class HelpFileTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ChmFile> file_;

  std::string read(const std::string& path) {
    std::string bytes;
    std::string error;
    if (!file_->read(path, bytes, error)) qWarning("%s", error.c_str());
    return bytes;
  }

  // The page of `target` exists and holds its anchor, if it names one.
  bool leadsSomewhere(const std::string& target) {
    const std::size_t hash = target.find('#');
    const std::string page = read(target.substr(0, hash));
    if (page.empty()) return false;
    if (hash == std::string::npos) return true;
    return page.find("name=\"" + target.substr(hash + 1) + "\"") != std::string::npos;
  }

 private slots:
  void initTestCase() {
    std::string error;
    file_ = ChmFile::open(TARVELON_HELP_FILE, error);
    QVERIFY2(file_ != nullptr, error.c_str());
  }

  void opensAtItsFirstPageWithItsContents() {
    QCOMPARE(file_->defaultTopic(), std::string("/index.html"));
    QCOMPARE(file_->title(), std::string("Tarvelon Help"));
    QVERIFY(file_->contents().size() >= 20);
    QCOMPARE(file_->contents().front(), (HelpTopic{"Getting started", "/index.html", 0}));
    std::set<std::string> topLevel;
    for (const HelpTopic& topic : file_->contents()) {
      QVERIFY2(leadsSomewhere(topic.local), topic.local.c_str());
      if (topic.depth == 0) topLevel.insert(topic.name);
    }
    QCOMPARE(topLevel, (std::set<std::string>{"Getting started", "The data and where to get it", "Menus and commands", "The named features",
                                              "Colour schemes and shading modes", "Optimise Shading",
                                              "The command-line map maker", "Keyboard shortcuts"}));
  }

  void everyLinkAndPictureIsInTheFile() {
    std::set<std::string> pages;
    for (const HelpTopic& topic : file_->contents()) pages.insert(topic.local.substr(0, topic.local.find('#')));
    int pictures = 0;
    for (const std::string& page : pages) {
      const std::string html = read(page);
      QVERIFY2(html.find("<title>") != std::string::npos, page.c_str());
      for (const std::string& link : attributeValues(html, "href")) {
        if (link.rfind("http", 0) == 0) continue;
        const std::string target = resolve(page, link);
        QVERIFY2(leadsSomewhere(target), (page + " -> " + link).c_str());
      }
      for (const std::string& source : attributeValues(html, "src")) {
        const std::string bytes = read(resolve(page, source));
        const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size()));
        QVERIFY2(!image.isNull(), (page + " -> " + source).c_str());
        ++pictures;
      }
    }
    // Six schemes, four modes, the user colours twice over and the
    // annotated map.
    QVERIFY(pictures >= 13);
  }

  // The help's own pages pass the check that refuses damaged pages. One
  // flipped bit in the compressed pages once made "The named features"
  // hold the window for minutes: the damaged page is refused at once or,
  // where the flip lands elsewhere in a changed file, laid out as usual.
  void aDamagedCopyNeverHoldsTheWindow() {
    for (const HelpTopic& topic : file_->contents()) {
      const std::string page = read(topic.local.substr(0, topic.local.find('#')));
      QVERIFY2(helpPageProblem(QByteArray::fromStdString(page)).isEmpty(), topic.local.c_str());
    }
    QFile original(QStringLiteral(TARVELON_HELP_FILE));
    QVERIFY(original.open(QIODevice::ReadOnly));
    QByteArray bytes = original.readAll();
    QVERIFY(bytes.size() > 20728);
    bytes[20728] = char(bytes[20728] ^ 0x40);
    QTemporaryDir dir;
    const QString damaged = dir.filePath(QStringLiteral("tarvelon.chm"));
    QFile copy(damaged);
    QVERIFY(copy.open(QIODevice::WriteOnly));
    copy.write(bytes);
    copy.close();
    HelpWindow help;
    QString problem;
    if (!help.openFile(damaged, problem)) return;  // refused whole: nothing to lay out
    help.showTopic("/features.html");
    const QString shown = help.browser()->toPlainText();
    help.browser()->document()->size();  // the layout, done now
    // Refused with the reason, whichever part of the file the flip hit.
    if (shown.contains(QStringLiteral("This page cannot be shown"))) {
      QVERIFY2(shown.contains(QStringLiteral("the help file is damaged")) ||
                   shown.contains(QStringLiteral("cannot be read whole")),
               qPrintable(shown));
    }
  }

  void everyCommandOfTheMenusIsDescribed() {
    // Words broken over lines in the page count as one text.
    const std::string menus = QString::fromStdString(read("/menus.html")).simplified().toStdString();
    const std::string shortcuts = read("/shortcuts.html");
    const std::string features = read("/features.html");
    for (const MenuEntry& entry : mainMenuEntries()) {
      if (entry.kind != MenuEntry::Kind::Item && entry.kind != MenuEntry::Kind::Menu) continue;
      if (entry.parent == QStringLiteral("m_load")) continue;  // the tiles have a table of their own
      if (isFeatureList(entry.parent)) {
        // The features are listed on a page of their own.
        QVERIFY2(features.find(escapedCaption(entry.caption)) != std::string::npos, qPrintable(entry.caption));
        continue;
      }
      QString caption = entry.caption.trimmed();
      caption.remove(QLatin1Char('&'));
      // The resolutions' captions carry padding blanks.
      caption = caption.simplified();
      QVERIFY2(menus.find(caption.toStdString()) != std::string::npos, qPrintable(caption));
      if (!entry.shortcut.isEmpty()) {
        QVERIFY2(shortcuts.find(entry.shortcut.toStdString()) != std::string::npos, qPrintable(entry.shortcut));
      }
    }
  }

  // The commands tarvelon-render lists for itself: each in the command-line
  // page's synopsis and table and in the README's, and each option its
  // usage names described somewhere in the help.
  void everyCommandOfTheCommandLineToolIsDescribed() {
    const QString overview = renderOutput({QStringLiteral("--help")});
    static const QRegularExpression listed(QStringLiteral("^  (\\S+)  "), QRegularExpression::MultilineOption);
    QStringList commands;
    for (auto m = listed.globalMatch(overview); m.hasNext();) commands << m.next().captured(1);
    QVERIFY2(commands.contains(QStringLiteral("profile")), qPrintable(overview));

    const QString commandline = QString::fromStdString(read("/commandline.html"));
    QString pages;
    for (const HelpTopic& topic : file_->contents()) {
      pages += QString::fromStdString(read(topic.local.substr(0, topic.local.find('#'))));
    }
    QFile readmeFile(QStringLiteral(TARVELON_SOURCE_DIR "/README.md"));
    QVERIFY(readmeFile.open(QIODevice::ReadOnly));
    const QString readme = QString::fromUtf8(readmeFile.readAll());
    static const QRegularExpression option(QStringLiteral("^\\s+(-o|--[a-z-]+)"), QRegularExpression::MultilineOption);
    for (const QString& command : commands) {
      // "feature" must not be found in "features".
      const QRegularExpression synopsis(QStringLiteral("tarvelon-render ") + QRegularExpression::escape(command) +
                                        QStringLiteral("[ \n]"));
      QVERIFY2(commandline.contains(synopsis), qPrintable(command));
      QVERIFY2(commandline.contains(QStringLiteral("<td><code>") + command + QStringLiteral("</code></td>")),
               qPrintable(command));
      QVERIFY2(readme.contains(synopsis), qPrintable(command));
      const QString usage = renderOutput({command, QStringLiteral("--help")});
      QVERIFY2(usage.startsWith(QStringLiteral("Usage: tarvelon-render ") + command), qPrintable(usage));
      for (auto m = option.globalMatch(usage); m.hasNext();) {
        const QString name = m.next().captured(1);
        QVERIFY2(pages.contains(QStringLiteral("<code>") + name), qPrintable(command + QLatin1Char(' ') + name));
      }
    }
  }

  // The explorer's table of levels: one row for each level, named and
  // scaled as the status bar names it on the equator, with the planet's
  // size in pixels at that level.
  void theExplorersLevelsAreTheStatusBarsLevels() {
    const std::string page = read("/explore.html");
    const std::vector<ExploreLevel>& levels = exploreLevels();
    QVERIFY(QString::fromStdString(page).contains(QStringLiteral("one of %1 levels").arg(levels.size())));
    const std::vector<QStringList> rows = tableRows(section(page, QStringLiteral("levels")));
    QCOMPARE(rows.size(), levels.size());

    ExplorerWindow explorer;
    explorer.resize(300, 260);  // small enough to reach the farthest level
    explorer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&explorer));
    ExplorerCanvas* canvas = explorer.canvas();
    QCOMPARE(canvas->view().farthestLevel(), int(levels.size()) - 1);
    QLabel* levelLabel = nullptr;
    for (QLabel* label : explorer.findChildren<QLabel*>()) {
      if (label->text().endsWith(QStringLiteral(" km a pixel)"))) levelLabel = label;
    }
    QVERIFY(levelLabel != nullptr);
    for (std::size_t i = 0; i < levels.size(); ++i) {
      canvas->centreOn(GeoPoint{0, 0}, int(i));
      QCOMPARE(canvas->view().level(), int(i));
      const QStringList& row = rows[i];
      QCOMPARE(row.size(), 3);
      QVERIFY2(row[1].endsWith(QStringLiteral(" km")), qPrintable(row[1]));
      QCOMPARE(row[0] + QStringLiteral(" (") + row[1].chopped(3) + QStringLiteral(" km a pixel)"), levelLabel->text());
      QCOMPARE(row[2], QStringLiteral("%1 x %2").arg(canvas->view().planetWidth()).arg(canvas->view().planetHeight()));
    }
  }

  // Every button of the explorer's toolbar and of the profile window is
  // described, and every key the shortcuts page gives the explorer does
  // what the page says.
  void theExplorersToolsAndKeysDoWhatTheHelpSays() {
    const QString explore = QString::fromStdString(read("/explore.html"));
    const QString profilePage = QString::fromStdString(read("/profile.html"));
    ExplorerWindow explorer;
    explorer.resize(1000, 680);
    explorer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&explorer));
    const QList<QAction*> actions = explorer.findChildren<QAction*>(QRegularExpression(QStringLiteral("^explorer")));
    QVERIFY(actions.size() >= 8);
    for (const QAction* item : actions) {
      QVERIFY2(explore.contains(QStringLiteral("<tr><td>") + item->text() + QStringLiteral("</td>")),
               qPrintable(item->text()));
    }
    ProfileWindow profileWindow;
    const QList<QPushButton*> buttons = profileWindow.findChildren<QPushButton*>();
    QVERIFY(!buttons.isEmpty());
    for (const QPushButton* button : buttons) {
      QVERIFY2(profilePage.contains(QStringLiteral("<b>") + button->text() + QStringLiteral("</b>")),
               qPrintable(button->text()));
    }

    const std::map<QString, Qt::Key> keyNamed = {
        {QStringLiteral("Left"), Qt::Key_Left}, {QStringLiteral("Right"), Qt::Key_Right},
        {QStringLiteral("Up"), Qt::Key_Up},     {QStringLiteral("Down"), Qt::Key_Down},
        {QStringLiteral("+"), Qt::Key_Plus},    {QStringLiteral("="), Qt::Key_Equal},
        {QStringLiteral("-"), Qt::Key_Minus},   {QStringLiteral("Home"), Qt::Key_Home},
        {QStringLiteral("Escape"), Qt::Key_Escape}};
    ExplorerCanvas* canvas = explorer.canvas();
    const int start = 8;
    int keys = 0;
    for (const QStringList& row : tableRows(section(read("/shortcuts.html"), QStringLiteral("explorer")))) {
      QString first = row[0];
      // The mouse's rows are described, not pressed.
      if (first.contains(QStringLiteral("mouse")) || first.contains(QStringLiteral("drag")) ||
          first.contains(QStringLiteral("click"))) {
        continue;
      }
      first.replace(QStringLiteral(" (or "), QStringLiteral(", ")).remove(QLatin1Char(')'));
      for (const QString& name : first.split(QStringLiteral(", "))) {
        const auto key = keyNamed.find(name);
        QVERIFY2(key != keyNamed.end(), qPrintable(QStringLiteral("a key the test does not know: ") + name));
        canvas->centreOn(GeoPoint{0, 0}, start);
        if (key->second == Qt::Key_Escape) {
          explorer.action(QStringLiteral("explorerMeasure"))->trigger();
          QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
          QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
          QCOMPARE(canvas->measurePoints().size(), std::size_t(2));
        }
        const ExploreView& view = canvas->view();
        const GeoPoint before = view.pointAt(view.width() / 2.0, view.height() / 2.0);
        QTest::keyClick(canvas, key->second);
        const GeoPoint after = view.pointAt(view.width() / 2.0, view.height() / 2.0);
        switch (key->second) {
          case Qt::Key_Left:  // the west comes into view
            QVERIFY2(after.longitude < before.longitude, qPrintable(name));
            break;
          case Qt::Key_Right:
            QVERIFY2(after.longitude > before.longitude, qPrintable(name));
            break;
          case Qt::Key_Up:
            QVERIFY2(after.latitude > before.latitude, qPrintable(name));
            break;
          case Qt::Key_Down:
            QVERIFY2(after.latitude < before.latitude, qPrintable(name));
            break;
          case Qt::Key_Plus:
          case Qt::Key_Equal:  // closer, about the middle
            QCOMPARE(view.level(), start - 1);
            QVERIFY(std::abs(after.longitude - before.longitude) < 0.1);
            break;
          case Qt::Key_Minus:
            QCOMPARE(view.level(), start + 1);
            break;
          case Qt::Key_Home:
            QCOMPARE(view.level(), view.fittingLevel());
            break;
          default:  // Escape
            QVERIFY(canvas->measurePoints().empty());
            explorer.action(QStringLiteral("explorerPan"))->trigger();
        }
        ++keys;
      }
    }
    QVERIFY(keys > 0);
  }
};

QTEST_MAIN(HelpFileTest)
#include "test_help_file.moc"
