// The help window: the pages of the compiled help file tarvelon.chm in a
// browser with its table of contents beside it, Back and Forward.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTextBrowser>
#include <QUrl>
#include <memory>

#include "core/ChmFile.h"

class QAction;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvelon {

inline constexpr const char* kHelpFileName = "tarvelon.chm";

// The help file in each of `folders`, in order, each folder once; empty
// texts are skipped.
QStringList helpFilePlaces(const QStringList& folders);
// The first of `places` that exists, or an empty text.
QString findHelpFile(const QStringList& places);

// Why a page of a help file is not shown, or an empty text. The text
// layout lays out a table inside a table again on every pass over the
// outer one, so its time doubles with each level of nesting: a damaged page
// whose stray cells open tables dozens deep would hold the window for
// hours. The limits keep the worst page that passes to about a second
// of layout; the help's own pages nest one table and hold 1500 cells at
// most. A page that nests tables or frames more than kDeepestHelpFrames
// deep, holds more than kMostHelpTableCells cells or more than
// kLargestHelpPage bytes, or holds a NUL, is refused.
inline constexpr int kDeepestHelpFrames = 4;
inline constexpr qsizetype kMostHelpTableCells = 20000;
inline constexpr qsizetype kLargestHelpPage = qsizetype(1) << 20;
QString helpPageProblem(const QByteArray& page);

// Pages are addressed as chm:/page.html inside the open file.
QUrl helpUrl(const std::string& objectPath);

// Shows pages, pictures and style sheets from the help file and from
// nowhere else.
class HelpBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  explicit HelpBrowser(QWidget* parent = nullptr);
  void setFile(const ChmFile* file) { file_ = file; }
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  void follow(const QUrl& link);
  const ChmFile* file_ = nullptr;
};

class HelpWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  ~HelpWindow() override;

  // Opens the help file; on failure keeps what was open and says why.
  bool openFile(const QString& path, QString& error);
  // Shows the file's default topic.
  void showDefaultTopic();
  // Shows a page of the file ("/menus.html#file").
  void showTopic(const std::string& local);

  const ChmFile* file() const { return file_.get(); }
  HelpBrowser* browser() const { return browser_; }
  QTreeWidget* contents() const { return contents_; }
  QAction* backAction() const { return back_; }
  QAction* forwardAction() const { return forward_; }
  QAction* homeAction() const { return home_; }

 private:
  void fillContents();
  void markCurrentTopic(const QUrl& url);

  std::unique_ptr<ChmFile> file_;
  HelpBrowser* browser_ = nullptr;
  QTreeWidget* contents_ = nullptr;
  QAction* back_ = nullptr;
  QAction* forward_ = nullptr;
  QAction* home_ = nullptr;
};

}  // namespace tarvelon
