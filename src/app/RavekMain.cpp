// The desktop program.
//
//   ravek [--app-dir DIR] [--now "YYYY-MM-DD HH:MM"] [--quit-after-show]
//
// DIR is the start directory (default the current directory); --now fixes the
// clock; --quit-after-show closes the program as soon as the main window has
// done its first showing and prints how long start-up and close took.
#include "CliArgs.h"
#include "CliContext.h"
#include "demo/DemoService.h"
#include "desktop/main/FeedFolderDialog.h"
#include "desktop/main/MainWindow.h"
#include "desktop/main/RavekApplication.h"
#include "desktop/widgets/UiSupport.h"
#include "link/Clock.h"
#include "link/FeedLink.h"
#include "shell/DataLock.h"
#include "shell/ShellState.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct TOptions {
  QString AppDir = QDir::currentPath();
  QDateTime Now;
  bool QuitAfterShow = false;
};

void Err(const QString& text) {
  TCliOutput(stdout, stderr).Err(text);
}

// False (with the reason on standard error) for a command line it cannot use.
bool ParseOptions(const QStringList& args, TOptions& options) {
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == u"--app-dir"_s && hasValue) {
      options.AppDir = QDir(args[++i]).absolutePath();
    } else if (arg == u"--now"_s && hasValue) {
      try {
        options.Now = ParseNow(args[++i]);
      } catch (const TCliError& error) {
        Err(error.Message() + u'\n');
        return false;
      }
    } else if (arg == u"--quit-after-show"_s) {
      options.QuitAfterShow = true;
    } else {
      Err(u"使い方: ravek [--app-dir DIR] [--now \"YYYY-MM-DD HH:MM\"] [--quit-after-show]\n"_s);
      return false;
    }
  }
  if (!QFileInfo(options.AppDir).isDir()) {
    Err(u"開始フォルダがありません: %1\n"_s.arg(options.AppDir));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer sinceStart;
  sinceStart.start();
  TRavekApplication app(argc, argv);
  SetUpRavekFonts();
  // Qt's own texts (file dialogs, standard buttons) in Japanese, like the rest.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), u"qtbase"_s, u"_"_s,
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qtTexts);

  TOptions options;
  if (!ParseOptions(QApplication::arguments(), options)) return 1;
  std::unique_ptr<TClock> clock;
  if (options.Now.isValid()) {
    clock = std::make_unique<TFixedClock>(options.Now);
  } else {
    clock = std::make_unique<TSystemClock>();
  }

  // One program per start directory for the whole run, taken before any data
  // file is opened: a second copy would write the same files. A folder that
  // cannot hold a lock file cannot be written by a second copy either.
  TDataLock lock(TShellState::SettleDataDir(options.AppDir, true));
  if (!lock.TryLock() && !lock.CannotCreate()) {
    if (lock.HeldElsewhere()) {
      ShowMessage(nullptr, QMessageBox::Information, TDataLock::AlreadyRunningText);
    } else {
      ShowMessage(nullptr, QMessageBox::Warning, lock.FailureText());
    }
    return 1;
  }

  TFeedLink link(options.AppDir, *clock);

  link.SetDemoWriter(DemoFeedWriter());
  TMainWindow mainWindow(options.AppDir, link, *clock);
  link.SetSettingsEditor(
      [&mainWindow](TLinkSettings& settings) { return TFeedFolderDialog::Edit(&mainWindow, settings); });
  link.SetPlayer([](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });

  if (options.QuitAfterShow) {
    QObject::connect(&mainWindow, &TMainWindow::FirstShown, &mainWindow, [&] {
      const qint64 shown = sinceStart.elapsed();
      QElapsedTimer closing;
      closing.start();
      mainWindow.close();
      Err(u"shown-ms=%1 close-ms=%2\n"_s.arg(shown).arg(closing.elapsed()));
    });
  }

  mainWindow.show();
  return QApplication::exec();
}
