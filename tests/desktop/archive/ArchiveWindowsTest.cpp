#include "archive/ArchivedStore.h"
#include "demo/DemoService.h"
#include "desktop/archive/RunTable.h"
#include "desktop/archive/SearchWindow.h"
#include "desktop/archive/WideTripsWindow.h"
#include "desktop/results/DayCalendar.h"
#include "desktop/results/ResultsWindow.h"
#include "link/FeedImport.h"
#include "link/FeedLink.h"
#include "records/DateKey.h"
#include "shell/Session.h"
#include "support/QuietObserver.h"

#include <QCalendarWidget>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCharFormat>

using namespace Qt::StringLiterals;

namespace {

// Four demo weeks in the archive, the last of them downloaded as the week.
struct TWorld {
  QTemporaryDir Dir;
  TFixedClock Clock{QDateTime(QDate(2024, 5, 13), QTime(10, 0))};
  TFeedLink Link{Dir.path(), Clock};
  TQuietObserver Observer;
  std::unique_ptr<TSession> Session;

  TWorld() {
    const QString dataDir = Dir.filePath(u"Data"_s);
    QDir().mkpath(dataDir);
    TDemoService(1).WriteFeed(Dir.filePath(u"DemoFeed"_s), QDate(2024, 5, 12), 28);
    {
      TArchive archive(ArchivePath(dataDir), TArchive::TAccess::Write);
      ImportFeed(Dir.filePath(u"DemoFeed"_s), {}, "20240428", archive, dataDir);
    }
    Link.SetDemoWriter(DemoFeedWriter());
    Session = std::make_unique<TSession>(Dir.path(), Link, Clock, Observer);
    Session->StartUp();
    Session->RunDownload();
  }
};

QString Hiragana(QString text) {
  for (QChar& c : text)
    if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6) c = QChar(char16_t(c.unicode() - 0x60));
  return text;
}

}  // namespace

class ArchiveWindowsTest : public QObject {
  Q_OBJECT

private slots:
  void ListStepsIntoArchivedDaysAndTheCalendarMarksThem() {
    TWorld world;
    const TByteLines& dates = world.Session->Store().RaceDates;
    QCOMPARE(dates.first(), QByteArray("20240420"));
    QCOMPARE(dates.size(), 6);
    QMdiArea area;
    area.show();
    TResultsWindow* list = OpenResultsWindow(*world.Session, &area);
    QCOMPARE(list->List().DayIndex(), 5);
    for (int i = 0; i < 5; ++i) QTest::keyClick(list, Qt::Key_PageUp);
    QCOMPARE(list->List().DayIndex(), 0);
    QVERIFY(!list->List().Cell(1, 10).isEmpty());  // the archived day's races came in

    // The calendar marks racing days; a day between them takes the next one.
    TResultsWindow::OnCalendar = [](TDayCalendar& calendar) {
      QCOMPARE(calendar.Calendar()->dateTextFormat(QDate(2024, 4, 27)).fontWeight(), int(QFont::Bold));
      QCOMPARE(calendar.Calendar()->dateTextFormat(QDate(2024, 4, 24)).fontWeight(), int(QFont::Normal));
      calendar.Calendar()->setSelectedDate(QDate(2024, 4, 24));
      QMetaObject::invokeMethod(&calendar, &QDialog::accept, Qt::QueuedConnection);
    };
    list->findChild<QAction*>(u"Calendar"_s)->trigger();
    TResultsWindow::OnCalendar = nullptr;
    QCOMPARE(world.Session->Store().RaceDates.value(list->List().DayIndex()), QByteArray("20240427"));
  }

  // Found by its name in hiragana; a correction made in the race shows in the
  // history once the race is closed; a double click asks for the race.
  void SearchFindsARunAndFollowsACorrection() {
    TWorld world;
    TSearchWindow search(*world.Session);
    // The horse that ran most among those with カ in the name.
    QList<TNameMatch> horses = world.Session->FindNames(u"カ"_s, false, 50);
    QVERIFY(!horses.isEmpty());
    std::stable_sort(horses.begin(), horses.end(),
                     [](const auto& a, const auto& b) { return a.Runs > b.Runs; });
    search.NameEdit()->setText(Hiragana(horses.first().Name));
    QVERIFY(search.Matches()->count() >= 1);
    QCOMPARE(search.Matches()->currentItem()->data(Qt::UserRole).toString(), horses.first().Name);
    QCOMPARE(search.Table().rowCount(), horses.first().Runs);

    // The first run whose horse has room one lane out at the corner shown.
    TRunRow run;
    for (int i = 0; i < search.Table().rowCount() && run.RaceKey.isEmpty(); ++i) {
      const QByteArray raceLine = world.Session->RaceLineOf(search.Table().Run(i).RaceKey);
      QVERIFY(!raceLine.isEmpty());
      TOpenRace* race = world.Session->OpenRace(raceLine);
      const QByteArray before = race->State().PositionLine;
      race->ShowSection(u"３コーナー"_s);
      race->MoveOut(search.Table().Run(i).HorseNumber);
      race->WriteSection();
      if (race->State().PositionLine != before) run = search.Table().Run(i);
      world.Session->CloseRace(race);
    }
    QVERIFY(!run.RaceKey.isEmpty());
    search.Matches()->setCurrentRow(-1);
    search.Matches()->setCurrentRow(0);
    int row = 0;
    while (search.Table().Run(row).RaceKey != run.RaceKey) ++row;
    const TRunRow after = search.Table().Run(row);
    QVERIFY(after.GroundLost != run.GroundLost || after.Lane3 != run.Lane3 || after.Lane4 != run.Lane4 ||
            after.Converted != run.Converted);

    QSignalSpy asked(&search, &TSearchWindow::RaceRequested);
    const QModelIndex first = search.Runs()->model()->index(0, 0);
    search.Runs()->doubleClicked(first);
    QCOMPARE(asked.size(), 1);
  }

  // Damage inside the file shows only to the whole check, which runs beside
  // the program and then sets the archive aside.
  void DamagedArchiveIsSetAsideAfterTheBackgroundCheck() {
    TWorld world;
    const QString path = ArchivePath(world.Dir.filePath(u"Data"_s));
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadWrite));
      file.seek(file.size() / 2);
      file.write(QByteArray(8192, '\x5a'));
    }
    QSignalSpy aside(world.Session.get(), &TSession::ArchiveSetAside);
    world.Session->CheckArchiveInBackground();
    QVERIFY(aside.wait(20000));
    QVERIFY(aside.first().first().toString().contains(u"Archive.damaged"_s));
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!world.Session->HasArchive());
  }

  void WideTripsPassTheThresholds() {
    TWorld world;
    TWideTripsWindow wide(*world.Session);
    wide.SetRange(QDate(2024, 4, 20), QDate(2024, 5, 12));
    wide.LossEdit()->setValue(12);
    wide.GainEdit()->setValue(0);
    wide.Find();
    QVERIFY(wide.Table().rowCount() > 0);
    for (int i = 0; i < wide.Table().rowCount(); ++i) QVERIFY(wide.Table().Run(i).GroundLost >= 12);
  }
};

QTEST_MAIN(ArchiveWindowsTest)
#include "ArchiveWindowsTest.moc"
