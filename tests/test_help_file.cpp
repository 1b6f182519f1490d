// The help file the build compiles from assets/help: it opens at its first
// page, every entry of its contents and every link and picture of its pages
// lead somewhere inside it, and it names every command of the menus.
#include <QAction>
#include <QImage>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>
#include <set>

#include "app/MainMenu.h"
#include "select/Gazetteer.h"
#include "core/ChmFile.h"
#include "windows/HelpWindow.h"

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
};

QTEST_MAIN(HelpFileTest)
#include "test_help_file.moc"
