// The main window through the few things that can really break: the first
// start, a download with its progress, the general error handler, the children
// it opens and their menus, and a close whose save fails.
#include "demo/DemoService.h"
#include "desktop/main/DownloadProgress.h"
#include "desktop/main/HelpWindow.h"
#include "desktop/main/MainWindow.h"
#include "desktop/main/RavekApplication.h"
#include "desktop/race/RaceWindow.h"
#include "desktop/results/BiasView.h"
#include "desktop/results/ResultsGrid.h"
#include "desktop/results/ResultsWindow.h"
#include "desktop/widgets/ChildWindow.h"
#include "desktop/widgets/UiSupport.h"
#include "link/FeedLink.h"
#include "results/DisplayModes.h"
#include "support/ScriptedLink.h"
#include "text/Errors.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

const QDateTime DemoNow(QDate(2024, 5, 12), QTime(9, 0));

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every message box answered by the test; the texts are kept.
class TAnswers {
public:
  explicit TAnswers(std::function<QMessageBox::StandardButton(const QString&)> answer = {}) {
    SetMessageHook([this, answer](QMessageBox::Icon, const QString& text, QMessageBox::StandardButtons) {
      Texts.append(text);
      return answer ? answer(text) : QMessageBox::Ok;
    });
  }
  ~TAnswers() { SetMessageHook({}); }
  TAnswers(const TAnswers&) = delete;
  TAnswers& operator=(const TAnswers&) = delete;

  QStringList Texts;
};

void ShowAndWait(TMainWindow& main) {
  main.show();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  QTRY_VERIFY(main.FirstShowingDone());
}

bool Enabled(const TMainWindow& main, const char* name) {
  if (const QAction* action = main.findChild<QAction*>(QString::fromLatin1(name))) return action->isEnabled();
  return main.findChild<QToolButton*>(QString::fromLatin1(name))->isEnabled();
}

// A child window offering the given menus.
class TMenuChild : public TChildWindow {
public:
  explicit TMenuChild(const QStringList& titles) {
    for (const QString& title : titles) FMenus.append(new QMenu(title, this));
  }
  QList<QMenu*> Menus() const override { return FMenus; }

private:
  QList<QMenu*> FMenus;
};

QStringList MenuTitles(const TMainWindow& main) {
  QStringList titles;
  for (const QAction* action : main.menuBar()->actions())
    if (action->isVisible()) titles.append(action->text());
  return titles;
}

}  // namespace

class TMainWindowTest : public QObject {
  Q_OBJECT

private slots:
  void FirstStartInAnEmptyDirectory() {
    QTemporaryDir dir;
    TScriptedLink link;
    const TFixedClock clock(DemoNow);
    TAnswers answers;
    {
      TMainWindow main(dir.path(), link, clock);
      ShowAndWait(main);
      QVERIFY(QFileInfo(dir.filePath(u"Data"_s)).isDir());
      QVERIFY(!Enabled(main, "Seiseki"));
      QVERIFY(!Enabled(main, "SpeedButton1"));
      QVERIFY(Enabled(main, "Sokuhou"));
      // A picture on one menu item would shift the text of every item in its menu.
      for (const QAction* action : main.findChildren<QAction*>()) QVERIFY(action->icon().isNull());
      QVERIFY(main.close());
    }
    QVERIFY(answers.Texts.isEmpty());
    const QString ini = QString::fromLatin1(ReadAll(dir.filePath(u"RAVEK.INI"_s)));
    const QStringList keys{u"X"_s,       u"Y"_s,      u"Target"_s, u"Distance"_s, u"Display"_s,
                           u"UseTG"_s,   u"Pay"_s,    u"Nige"_s,   u"Senkou"_s,   u"Koui"_s,
                           u"Tyuudan"_s, u"Saiuti"_s, u"Soto"_s,   u"Osoto"_s};
    for (const QString& key : keys) QVERIFY2(ini.contains(u"\r\n"_s + key + u'='), qPrintable(key));
    QVERIFY(ini.contains(u"\r\nX=20\r\n"_s));
    // The data folder is written as nothing, so a copy of the folder exports into its own.
    QVERIFY(ini.contains(u"\r\nTarget=\r\n"_s));
  }

  void DownloadShowsProgressAndHoldsTheCommands() {
    QTemporaryDir dir;
    const TFixedClock clock(DemoNow);
    TFeedLink link(dir.path(), clock);
    link.SetDemoWriter(DemoFeedWriter());
    TAnswers answers;
    TMainWindow main(dir.path(), link, clock);
    ShowAndWait(main);
    QVERIFY(!Enabled(main, "Seiseki"));

    QStringList texts;
    QList<bool> commandsFree;  // download, settings or results enabled while it runs
    QList<int> daysDone;
    connect(&main, &TMainWindow::ProgressShown, this, [&](const QString& text) {
      texts.append(text);
      commandsFree.append(Enabled(main, "Sokuhou") || Enabled(main, "BitBtn2") || Enabled(main, "N3") ||
                          Enabled(main, "Seiseki"));
      const TDownloadProgress* panel = main.findChild<TDownloadProgress*>();
      daysDone.append(panel && panel->isVisible() && panel->DaysAsked() == 8 ? panel->DaysDone() : -1);
    });
    QTest::mouseClick(main.findChild<QToolButton*>(u"BitBtn2"_s), Qt::LeftButton);

    QVERIFY(texts.size() >= 3);
    QCOMPARE(texts.first(), u"ダウンロードを開始します"_s);
    QCOMPARE(texts.last(), u"登録処理実行中・・・"_s);
    QCOMPARE(daysDone.last(), 8);
    const QStringList days = texts.filter(u"の成績をダウンロードしました"_s);
    // Newest day first.
    QVERIFY(!days.isEmpty());
    QCOMPARE(days.first(), u"2024/05/12の成績をダウンロードしました"_s);
    QStringList newestFirst = days;
    std::sort(newestFirst.begin(), newestFirst.end(), std::greater<>());
    QCOMPARE(days, newestFirst);
    QVERIFY(!commandsFree.contains(true));
    // The list opens on the latest day and holds the store; the settings stay at hand.
    QVERIFY(!Enabled(main, "Sokuhou"));
    QVERIFY(Enabled(main, "N3"));
    QVERIFY(!Enabled(main, "SpeedButton1"));
    auto* list = main.findChild<TResultsWindow*>();
    QVERIFY(list);
    QCOMPARE(list->List().DayIndex(), int(main.Session().Store().RaceDates.size()) - 1);
    QCOMPARE(main.StatusPanelText(0), u"ダウンロードしました: 3日分 108レース"_s);
    QTRY_VERIFY(main.findChild<TDownloadProgress*>() == nullptr);
    QVERIFY(main.close());
  }

  void ErrorInAHandlerIsShownAndTheProgramGoesOn_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("conversion") << 0 << u"数値ではありません: ab"_s;
    QTest::newRow("file") << 1 << u"ファイルを書けません"_s;
    QTest::newRow("other") << 2 << u"bad_alloc のようなもの"_s;
  }

  void ErrorInAHandlerIsShownAndTheProgramGoesOn() {
    QFETCH(int, kind);
    QFETCH(QString, message);
    TAnswers answers;
    QTimer::singleShot(0, [kind, message] {
      if (kind == 0) throw TConvertError(message);
      if (kind == 1) throw TFileError(message);
      throw std::runtime_error(message.toStdString());
    });
    bool later = false;
    QTimer::singleShot(5, [&later] { later = true; });
    QTRY_VERIFY(later);
    QCOMPARE(answers.Texts, QStringList{message});
  }

  void ChildMenusMergeWhileTheChildIsActive() {
    QTemporaryDir dir;
    TScriptedLink link;
    const TFixedClock clock(DemoNow);
    TAnswers answers;
    TMainWindow main(dir.path(), link, clock);
    ShowAndWait(main);
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));

    auto* withMenus = new TMenuChild({u"表示(&V)"_s, u"出力(&O)"_s});
    auto* plain = new TMenuChild({});
    QMdiSubWindow* first = main.MdiArea()->addSubWindow(withMenus);
    QMdiSubWindow* second = main.MdiArea()->addSubWindow(plain);
    first->setAttribute(Qt::WA_DeleteOnClose);
    first->show();
    second->show();

    const QStringList own{u"メインメニュー(&M)"_s, u"設定(&I)"_s, u"ヘルプ(&H)"_s};
    const QStringList merged{u"メインメニュー(&M)"_s, u"表示(&V)"_s, u"出力(&O)"_s, u"設定(&I)"_s,
                             u"ヘルプ(&H)"_s};
    main.MdiArea()->setActiveSubWindow(first);
    QCOMPARE(MenuTitles(main), merged);
    main.MdiArea()->setActiveSubWindow(second);
    QCOMPARE(MenuTitles(main), own);
    main.MdiArea()->setActiveSubWindow(first);
    QCOMPARE(MenuTitles(main), merged);
    first->close();
    QTRY_COMPARE(MenuTitles(main), own);
    QVERIFY(main.close());
  }

  void ResultsListHoldsTheCommandsAndOpensRaces() {
    QTemporaryDir dir;
    const TFixedClock clock(DemoNow);
    TFeedLink link(dir.path(), clock);
    link.SetDemoWriter(DemoFeedWriter());
    TAnswers answers;
    TMainWindow main(dir.path(), link, clock);
    ShowAndWait(main);
    main.DownloadClick();
    main.ResultsClick();
    auto* list = main.findChild<TResultsWindow*>();
    QVERIFY(list && list->isVisible());
    for (const char* command : {"Seiseki", "SpeedButton1", "Sokuhou", "BitBtn2"})
      QVERIFY2(!Enabled(main, command), command);
    QVERIFY(Enabled(main, "BitBtn1"));
    QVERIFY(Enabled(main, "N3"));

    // A race asked for by the list opens beside it and widens the first panel,
    // where nothing is left from before while the payouts are off.
    main.ShowStatusText(0, u"JVClose正常終了:0"_s);
    emit list->RaceOpenRequested(main.Session().Store().Races.first().RaceLine);
    auto* race = main.findChild<TRaceWindow*>();
    QVERIFY(race && race->isVisible());
    QVERIFY(main.FirstPanelWide());
    QVERIFY(!race->PayoutButton()->isChecked());
    QTRY_COMPARE(main.StatusPanelText(0), QString());
    main.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(race->parentWidget()));
    QVERIFY(MenuTitles(main).contains(u"ビューアー(&W)"_s));
    emit race->StatusText(0, u"レースから"_s);
    QCOMPARE(main.StatusPanelText(0), u"レースから"_s);
    race->parentWidget()->close();
    QTRY_VERIFY(!main.FirstPanelWide());

    list->parentWidget()->close();
    QTRY_VERIFY(Enabled(main, "Seiseki"));
    QVERIFY(Enabled(main, "SpeedButton1"));
    QVERIFY(Enabled(main, "N3"));
    QVERIFY(main.close());
  }

  void FailedSaveAtCloseOffersRetryAndLosesNothing() {
    QTemporaryDir dir;
    const TFixedClock clock(DemoNow);
    TFeedLink link(dir.path(), clock);
    link.SetDemoWriter(DemoFeedWriter());
    const QString data = dir.filePath(u"Data"_s);
    const QString blocker = QDir(data).filePath(u"LastPos.dat"_s);
    QByteArray storedPositions;
    bool iniWrittenWhileFailing = true;
    bool keptWhileFailing = false;
    int asks = 0;
    TAnswers answers([&](const QString&) {
      ++asks;
      keptWhileFailing = ReadAll(QDir(data).filePath(u"Position.dat"_s)) == storedPositions;
      iniWrittenWhileFailing = QFileInfo::exists(dir.filePath(u"RAVEK.INI"_s));
      if (asks == 1) return QMessageBox::Cancel;  // the program stays
      QDir(blocker).removeRecursively();
      return QMessageBox::Retry;
    });
    TMainWindow main(dir.path(), link, clock);
    ShowAndWait(main);
    main.DownloadClick();
    storedPositions = ReadAll(QDir(data).filePath(u"Position.dat"_s));
    QVERIFY(!storedPositions.isEmpty());
    QVERIFY(QDir().mkpath(QDir(blocker).filePath(u"inside"_s)));  // LastPos.dat cannot be written

    QVERIFY(!main.close());
    QCOMPARE(asks, 1);
    QVERIFY(main.isVisible());
    QVERIFY(keptWhileFailing);
    QVERIFY(!iniWrittenWhileFailing);

    QVERIFY(main.close());
    QCOMPARE(asks, 2);
    QVERIFY(keptWhileFailing);
    QVERIFY(QFileInfo(blocker).isFile());
    QVERIFY(QFileInfo::exists(dir.filePath(u"RAVEK.INI"_s)));
  }

  void WindowOffEveryScreenComesBack_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QPoint>("placed");
    QTest::newRow("on the first screen") << QRect(20, 20, 918, 670) << QPoint(20, 20);
    QTest::newRow("on the second screen") << QRect(2000, 100, 918, 670) << QPoint(2000, 100);
    QTest::newRow("right of both") << QRect(4000, 20, 918, 670) << QPoint(20, 50);
    QTest::newRow("caption above the screens") << QRect(300, -700, 918, 670) << QPoint(20, 50);
    QTest::newRow("left edge hangs off") << QRect(-400, 10, 918, 670) << QPoint(-400, 10);
  }

  void WindowOffEveryScreenComesBack() {
    QFETCH(QRect, frame);
    QFETCH(QPoint, placed);
    const QRect primary(0, 30, 1920, 1050);
    QCOMPARE(PlaceOnScreens(frame, {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}, primary), placed);
    // A tool window is moved, and shrunk when larger, to lie wholly on the screen.
    const QRect available(0, 0, 1280, 1000);
    const QRect fitted = FittedFrame(frame, available);
    QVERIFY(available.contains(fitted));
    QCOMPARE(fitted.size(), frame.size().boundedTo(available.size()));
    if (available.contains(frame)) QCOMPARE(fitted, frame);
  }

  // The day, the mode and the surface come back after a restart; RAVEK.INI
  // keeps to its own keys; the track bias window, put off the screen, comes back on it.
  void DesktopRemembersWhatItShowed() {
    QTemporaryDir dir;
    const TFixedClock clock(DemoNow);
    TFeedLink link(dir.path(), clock);
    link.SetDemoWriter(DemoFeedWriter());
    TAnswers answers;
    QByteArray shown;
    {
      TMainWindow main(dir.path(), link, clock);
      ShowAndWait(main);
      main.DownloadClick();
      auto* list = main.findChild<TResultsWindow*>();
      QVERIFY(list);
      QTest::keyClick(list->Grid(), Qt::Key_PageUp);
      list->findChild<QToolButton*>(u"SpeedButton6"_s)->click();
      list->findChild<QToolButton*>(u"SpeedButton2"_s)->click();
      shown = main.Session().Store().RaceDates.value(list->List().DayIndex());
      list->findChild<QToolButton*>(u"SpeedButton9"_s)->click();
      QWidget* bias = list->BiasView();
      bias->hide();
      bias->move(5000, 5000);
      bias->show();
      QVERIFY(bias->screen()->availableGeometry().contains(bias->frameGeometry()));
      QVERIFY(main.close());
    }
    TMainWindow again(dir.path(), link, clock);
    ShowAndWait(again);
    again.ResultsClick();
    auto* list = again.findChild<TResultsWindow*>();
    QVERIFY(list);
    QCOMPARE(again.Session().Store().RaceDates.value(list->List().DayIndex()), shown);
    QCOMPARE(list->List().Modes().Mode(), TDisplayMode::Corner4);
    QCOMPARE(list->List().Modes().Filter(), TSurfaceFilter::Turf);
    QFile ini(QDir(dir.path()).filePath(u"RAVEK.INI"_s));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(!ini.readAll().contains("results"));
    QVERIFY(again.close());
  }

  // The book searched from its contents finds a word on another page; Esc closes it.
  void HelpBookIsSearchedAcrossItsPages() {
    THelpWindow help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    QVERIFY(help.FindNext(u"Shift+Tab"_s));
    QCOMPARE(help.Browser()->source().fileName(), u"race.html"_s);
    QCOMPARE(help.Browser()->textCursor().selectedText(), u"Shift+Tab"_s);
    QVERIFY(!help.FindNext(u"どのページにもない言葉"_s));
    QTest::keyClick(&help, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(help.FindField()->hasFocus());
    QTest::keyClick(help.FindField(), Qt::Key_Escape);
    QVERIFY(!help.isVisible());
  }
};

int main(int argc, char** argv) {
  TRavekApplication app(argc, argv);
  SetUpRavekFonts();
  TMainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "MainWindowTest.moc"
