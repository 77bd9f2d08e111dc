#include "desktop/main/HelpWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

// The book lives in a static library: its resources are registered by hand,
// outside any namespace.
static void LoadHelpBook() {
  Q_INIT_RESOURCE(help);
}

THelpWindow::THelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), FBrowser(new QTextBrowser(this)) {
  LoadHelpBook();
  setObjectName(u"HelpWindow"_s);
  setWindowTitle(u"RAVEKヘルプ"_s);
  resize(720, 600);

  FBrowser->setObjectName(u"HelpBrowser"_s);
  // Pages of the book open here; addresses outside it in the desktop's browser.
  FBrowser->setOpenLinks(false);
  connect(FBrowser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
    if (url.scheme() == u"qrc"_s || url.isRelative()) {
      FBrowser->setSource(FBrowser->source().resolved(url));
    } else {
      QDesktopServices::openUrl(url);
    }
  });

  auto* bar = new QToolBar(this);
  QAction* contents = bar->addAction(u"目次"_s, this, &THelpWindow::ShowContents);
  contents->setObjectName(u"Contents"_s);
  QAction* back = bar->addAction(u"戻る"_s, FBrowser, &QTextBrowser::backward);
  back->setObjectName(u"Back"_s);
  back->setShortcut(QKeySequence::Back);
  QAction* forward = bar->addAction(u"進む"_s, FBrowser, &QTextBrowser::forward);
  forward->setObjectName(u"Forward"_s);
  forward->setShortcut(QKeySequence::Forward);
  back->setEnabled(false);
  forward->setEnabled(false);
  bar->addSeparator();
  FFind = new QLineEdit(bar);
  FFind->setObjectName(u"HelpFind"_s);
  FFind->setPlaceholderText(u"検索 (Ctrl+F)"_s);
  FFind->setClearButtonEnabled(true);
  FFind->setMaximumWidth(220);
  bar->addWidget(FFind);
  auto* notFound = new QLabel(bar);
  bar->addWidget(notFound);
  connect(FFind, &QLineEdit::returnPressed, this, [this, notFound] {
    notFound->setText(FFind->text().isEmpty() || FindNext(FFind->text()) ? QString() : u"  見つかりません"_s);
  });
  auto* find = new QAction(this);
  find->setShortcut(QKeySequence::Find);
  connect(find, &QAction::triggered, FFind, [this] {
    FFind->setFocus();
    FFind->selectAll();
  });
  addAction(find);
  auto* close = new QAction(this);
  close->setShortcut(Qt::Key_Escape);
  connect(close, &QAction::triggered, this, &QWidget::close);
  addAction(close);
  connect(FBrowser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(FBrowser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(FBrowser);
  connect(FBrowser, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = FBrowser->documentTitle();
    setWindowTitle(title.isEmpty() ? u"RAVEKヘルプ"_s : u"RAVEKヘルプ - "_s + title);
  });
  ShowContents();
}

void THelpWindow::ShowContents() {
  ShowPage(ContentsPage);
}

void THelpWindow::ShowPage(const char* page) {
  FBrowser->setSource(QUrl(QString::fromLatin1(page)));
}

bool THelpWindow::FindNext(const QString& text) {
  if (FBrowser->find(text)) return true;
  // The pages after the one shown, then from the first, as the text of each reads.
  QStringList pages = QDir(u":/help"_s).entryList({u"*.html"_s}, QDir::Files, QDir::Name);
  const QString shown = FBrowser->source().fileName();
  const qsizetype at = pages.indexOf(shown);
  pages = pages.mid(at + 1) + pages.mid(0, at + 1);
  for (const QString& page : std::as_const(pages)) {
    QFile file(u":/help/"_s + page);
    if (!file.open(QIODevice::ReadOnly)) continue;
    QTextDocument document;
    document.setHtml(QString::fromUtf8(file.readAll()));
    if (document.find(text).isNull()) continue;
    if (page != shown) FBrowser->setSource(QUrl(u"qrc:/help/"_s + page));
    FBrowser->moveCursor(QTextCursor::Start);
    return FBrowser->find(text);
  }
  return false;
}
