#include "windows/HelpWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QSplitter>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

namespace tarvelon {

namespace {

constexpr const char* kScheme = "chm";
constexpr int kTopicRole = Qt::UserRole;

QString notFoundPage(const QString& problem) {
  return QStringLiteral("<html><body><h2>This page cannot be shown</h2><p>%1</p></body></html>")
      .arg(problem.toHtmlEscaped());
}

// The deepest nesting of frames (tables among them) under `frame`, and the
// cells of its tables, counted until either passes its limit.
void measureFrames(QTextFrame* frame, int depth, int& deepest, qsizetype& cells) {
  deepest = std::max(deepest, depth);
  if (auto* table = qobject_cast<QTextTable*>(frame)) cells += qsizetype(table->rows()) * table->columns();
  if (deepest > kDeepestHelpFrames || cells > kMostHelpTableCells) return;
  for (QTextFrame* child : frame->childFrames()) measureFrames(child, depth + 1, deepest, cells);
}

}  // namespace

QString helpPageProblem(const QByteArray& page) {
  if (page.size() > kLargestHelpPage) {
    return QStringLiteral("The page holds %1 bytes, more than a help page may hold; the help file is damaged.")
        .arg(page.size());
  }
  if (page.contains('\0')) return QStringLiteral("The page holds bytes that are no text; the help file is damaged.");
  // Read, not laid out: reading takes time in proportion to the page.
  QTextDocument document;
  document.setHtml(QString::fromUtf8(page));
  int deepest = 0;
  qsizetype cells = 0;
  measureFrames(document.rootFrame(), 0, deepest, cells);
  if (deepest > kDeepestHelpFrames) {
    return QStringLiteral("The page nests tables more than %1 deep; the help file is damaged.").arg(kDeepestHelpFrames);
  }
  if (cells > kMostHelpTableCells) {
    return QStringLiteral("The page's tables hold more than %1 cells; the help file is damaged.")
        .arg(kMostHelpTableCells);
  }
  return {};
}

QStringList helpFilePlaces(const QStringList& folders) {
  QStringList places;
  for (const QString& dir : folders) {
    if (dir.isEmpty()) continue;
    const QString place = QDir::cleanPath(QDir(dir).filePath(QString::fromLatin1(kHelpFileName)));
    if (!places.contains(place)) places << place;
  }
  return places;
}

QString findHelpFile(const QStringList& places) {
  for (const QString& place : places) {
    if (QFileInfo::exists(place)) return place;
  }
  return {};
}

QUrl helpUrl(const std::string& objectPath) {
  const QString local = QString::fromStdString(objectPath);
  QUrl url;
  url.setScheme(QString::fromLatin1(kScheme));
  const qsizetype hash = local.indexOf(QLatin1Char('#'));
  url.setPath(hash < 0 ? local : local.left(hash));
  if (hash >= 0) url.setFragment(local.mid(hash + 1));
  return url;
}

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
  setObjectName(QStringLiteral("helpBrowser"));
  // Links are followed here: pages inside the file, web addresses outside.
  setOpenLinks(false);
  connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::follow);
}

void HelpBrowser::follow(const QUrl& link) {
  const QUrl url = link.isRelative() ? source().resolved(link) : link;
  if (url.scheme() == QLatin1String(kScheme)) {
    setSource(url);
  } else if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https") ||
             url.scheme() == QLatin1String("mailto")) {
    QDesktopServices::openUrl(url);
  }
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
  const QUrl url = name.isRelative() ? source().resolved(name) : name;
  const bool page = type == QTextDocument::HtmlResource;
  if (url.scheme() != QLatin1String(kScheme) || file_ == nullptr) {
    return page ? QVariant(notFoundPage(QStringLiteral("Only pages of the help file are shown here."))) : QVariant();
  }
  std::string bytes;
  std::string problem;
  if (!file_->read(url.path().toStdString(), bytes, problem)) {
    return page ? QVariant(notFoundPage(QString::fromStdString(problem))) : QVariant();
  }
  const QByteArray data(bytes.data(), qsizetype(bytes.size()));
  if (type == QTextDocument::ImageResource) return data;
  if (page) {
    const QString refused = helpPageProblem(data);
    if (!refused.isEmpty()) return notFoundPage(refused);
  }
  return QString::fromUtf8(data);
}

HelpWindow::HelpWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Tarvelon Help"));
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(960, 680);

  auto* split = new QSplitter(this);
  contents_ = new QTreeWidget(split);
  contents_->setObjectName(QStringLiteral("helpContents"));
  contents_->setHeaderHidden(true);
  contents_->setColumnCount(1);
  browser_ = new HelpBrowser(split);
  split->addWidget(contents_);
  split->addWidget(browser_);
  split->setStretchFactor(1, 1);
  split->setSizes({240, 720});
  setCentralWidget(split);

  QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
  bar->setObjectName(QStringLiteral("helpToolBar"));
  bar->setMovable(false);
  back_ = bar->addAction(QStringLiteral("Back"));
  back_->setObjectName(QStringLiteral("helpBack"));
  back_->setShortcut(QKeySequence::Back);
  back_->setEnabled(false);
  forward_ = bar->addAction(QStringLiteral("Forward"));
  forward_->setObjectName(QStringLiteral("helpForward"));
  forward_->setShortcut(QKeySequence::Forward);
  forward_->setEnabled(false);
  home_ = bar->addAction(QStringLiteral("Contents"));
  home_->setObjectName(QStringLiteral("helpHome"));

  connect(back_, &QAction::triggered, browser_, &QTextBrowser::backward);
  connect(forward_, &QAction::triggered, browser_, &QTextBrowser::forward);
  connect(home_, &QAction::triggered, this, &HelpWindow::showDefaultTopic);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::markCurrentTopic);
  // A click, or Enter on the current entry, opens its page.
  const auto openEntry = [this](QTreeWidgetItem* item) {
    const QString local = item->data(0, kTopicRole).toString();
    if (!local.isEmpty()) showTopic(local.toStdString());
  };
  connect(contents_, &QTreeWidget::itemActivated, this, openEntry);
  connect(contents_, &QTreeWidget::itemClicked, this, openEntry);
}

HelpWindow::~HelpWindow() {
  // The browser must not reach the file while it goes.
  browser_->setFile(nullptr);
}

bool HelpWindow::openFile(const QString& path, QString& error) {
  std::string problem;
  std::unique_ptr<ChmFile> opened = ChmFile::open(QFile::encodeName(path).toStdString(), problem);
  if (!opened) {
    error = QString::fromStdString(problem);
    return false;
  }
  // The pages of the old file go with it, cached pictures included.
  browser_->setFile(nullptr);
  browser_->clearHistory();
  browser_->document()->clear();
  browser_->setSource(QUrl());
  file_ = std::move(opened);
  browser_->setFile(file_.get());
  setWindowTitle(file_->title().empty() ? QStringLiteral("Tarvelon Help") : QString::fromStdString(file_->title()));
  fillContents();
  return true;
}

void HelpWindow::fillContents() {
  contents_->clear();
  if (!file_) return;
  // Items nest by depth; a depth that jumps by more than one hangs under
  // the deepest item there is.
  std::vector<QTreeWidgetItem*> parents;
  for (const HelpTopic& topic : file_->contents()) {
    const auto depth = static_cast<std::size_t>(topic.depth);
    if (parents.size() > depth) parents.resize(depth);
    QTreeWidgetItem* item = parents.empty() ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parents.back());
    item->setText(0, QString::fromStdString(topic.name));
    item->setData(0, kTopicRole, QString::fromStdString(topic.local));
    parents.push_back(item);
  }
  contents_->expandAll();
}

void HelpWindow::showTopic(const std::string& local) {
  if (!file_) return;
  const QUrl url = helpUrl(local);
  if (url != browser_->source()) browser_->setSource(url);
}

void HelpWindow::showDefaultTopic() {
  if (file_) showTopic(file_->defaultTopic());
}

void HelpWindow::markCurrentTopic(const QUrl& url) {
  // The entry of this very page and place, else the first of this page.
  const QString exact = url.path() + (url.hasFragment() ? QLatin1Char('#') + url.fragment() : QString());
  QTreeWidgetItem* best = nullptr;
  for (QTreeWidgetItemIterator it(contents_); *it != nullptr; ++it) {
    const QString local = (*it)->data(0, kTopicRole).toString();
    if (local == exact) {
      best = *it;
      break;
    }
    if (best == nullptr && QUrl(local).path() == url.path()) best = *it;
  }
  const QSignalBlocker block(contents_);
  contents_->setCurrentItem(best);
}

}  // namespace tarvelon
