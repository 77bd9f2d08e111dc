#include "desktop/main/HelpWindow.h"

#include <QDesktopServices>
#include <QTextBrowser>
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
