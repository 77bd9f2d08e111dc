// Pictures of the main window and its dialogs on a demo week, saved as PNG
// files into the folder given as the first argument.
#include "demo/DemoService.h"
#include "desktop/main/DownloadProgress.h"
#include "desktop/main/HelpWindow.h"
#include "desktop/main/MainWindow.h"
#include "desktop/main/RavekApplication.h"
#include "desktop/main/SorryDialog.h"
#include "desktop/main/VersionDialog.h"
#include "desktop/settings/SettingsDialog.h"
#include "desktop/widgets/UiSupport.h"
#include "link/FeedLink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void Pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  } while (timer.elapsed() < ms);
}

bool Save(QWidget* widget, const QString& folder, const QString& name) {
  Pump(150);
  const QString path = QDir(folder).filePath(name);
  const bool saved = widget->grab().save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  TRavekApplication app(argc, argv);
  SetUpRavekFonts();
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 1;
  }
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(out);
  QTemporaryDir start;
  if (!start.isValid()) return 1;
  // Answered at once: nothing may wait for a user here.
  SetMessageHook([](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
    return QMessageBox::Ok;
  });

  const TFixedClock clock(QDateTime(QDate(2024, 5, 12), QTime(9, 0)));
  TFeedLink link(start.path(), clock);
  link.SetDemoWriter(DemoFeedWriter());
  TMainWindow main(start.path(), link, clock);
  main.move(20, 20);
  main.show();
  while (!main.FirstShowingDone()) Pump(20);

  bool ok = true;
  bool progressSaved = false;
  QObject::connect(&main, &TMainWindow::ProgressShown, &main, [&](const QString& text) {
    if (progressSaved || !text.endsWith(u"の成績をダウンロードしました"_s)) return;
    if (TDownloadProgress* panel = main.findChild<TDownloadProgress*>()) {
      progressSaved = true;
      ok = Save(panel, out, u"shell-progress.png"_s) && ok;
    }
  });
  main.DownloadClick();
  ok = progressSaved && ok;
  main.ShowStatusText(1, u"成績データ: 2024/05/12 まで"_s);
  ok = Save(&main, out, u"shell-main.png"_s) && ok;

  TSettingsDialog* dialog = main.SettingsDialog();
  dialog->Open(main.Session().Settings());
  dialog->show();
  ok = Save(dialog, out, u"shell-settings-general.png"_s) && ok;
  dialog->findChild<QTabWidget*>()->setCurrentIndex(1);
  ok = Save(dialog, out, u"shell-settings-display.png"_s) && ok;
  dialog->hide();

  main.SorryDialog()->show();
  ok = Save(main.SorryDialog(), out, u"shell-sorry.png"_s) && ok;
  main.SorryDialog()->hide();

  main.VersionDialog()->show();
  ok = Save(main.VersionDialog(), out, u"shell-version.png"_s) && ok;
  main.VersionDialog()->hide();

  main.HelpClick();
  ok = Save(main.HelpWindow(), out, u"shell-help.png"_s) && ok;

  main.close();
  SetMessageHook({});
  return ok ? 0 : 1;
}
