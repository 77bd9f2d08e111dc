#include "demo/DemoService.h"
#include "desktop/results/ResultsWindow.h"

#include "desktop/results/BiasView.h"
#include "desktop/results/ResultsGrid.h"
#include "link/FeedLink.h"
#include "position/PositionLine.h"
#include "race/DayCsv.h"
#include "race/RaceSheet.h"
#include "records/RaceRecord.h"
#include "results/DayFixture.h"
#include "results/TrackBias.h"
#include "settings/BandRules.h"
#include "shell/Session.h"
#include "support/QuietObserver.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A session of its own in a temporary start directory and an MDI area to open
// the list in.
struct TWorld {
  QTemporaryDir Dir;
  TFixedClock Clock{QDateTime(QDate(2024, 5, 12), QTime(9, 0))};
  TFeedLink Link{Dir.path(), Clock};
  TQuietObserver Observer;
  TSession Session{Dir.path(), Link, Clock, Observer};
  QMdiArea Area;

  TWorld() {
    Link.SetDemoWriter(DemoFeedWriter());
    Area.resize(1000, 500);
    Area.show();
  }
  const TDayStore& Store() const { return Session.Store(); }
  // Crafted races added to the session's store.
  void Add(const std::function<void(TDayStore&)>& craft) {
    TDayStore store = Session.Store();
    craft(store);
    Session.ReplaceStore(std::move(store));
  }
  void ChangeSettings(const std::function<void(TSettings&)>& change) {
    TSettings settings = Session.Settings();
    change(settings);
    Session.SetSettings(settings);
  }
};

// 2024/05/10: four venues. 2024/05/11: one venue. 2024/05/12: 中山, 阪神 and 東京 in that order.
//   中山 1R turf, frames 7, 4, 1    中山 2R dirt, frames 8, 5, 3    中山 3R steeplechase
//   中山 4R turf in rain, no summary; 中山 5R to 12R empty
//   阪神 1R turf, 3rd corner: row 2 lane 3, row 1 lane 2, row 10 lane 5
//   東京 1R turf with the jockeys 武豊, 横山典, 岩田康
void AddCraftedDays(TDayStore& store) {
  AddRace(store, Key("20240511", 5, 1), TurfTrack, {}, {}, {});
  AddRace(store, Key("20240512", 6, 1), TurfTrack, {.Frame = 7}, {.Frame = 4}, {.Frame = 1});
  AddRace(store, Key("20240512", 6, 2), DirtTrack, {.Frame = 8}, {.Frame = 5}, {.Frame = 3});
  AddRace(store, Key("20240512", 6, 3), SteepleTrack, {}, {}, {});
  AddRace(store, RaceLine(Key("20240512", 6, 4), TurfTrack, 3));
  AddRace(store, Key("20240512", 9, 1), TurfTrack, {.Corner3 = "0203"}, {.Corner3 = "0102"},
          {.Corner3 = "1005"});
  AddRace(store, Key("20240512", 5, 1), TurfTrack, {.Jockey = u"武豊"_s}, {.Jockey = u"横山典"_s},
          {.Jockey = u"岩田康"_s});
  for (int venue = 1; venue <= 4; ++venue) AddRace(store, Key("20240510", venue, 1), TurfTrack, {}, {}, {});
}

QRect Box(int column, int row, int box) {
  const QRect cell = TResultsGrid::CellRect(column, row);
  const TCellRect r = TResultsCells::RaceBox(
      {cell.left(), cell.top(), cell.left() + cell.width(), cell.top() + cell.height()}, box);
  return QRect(r.Left, r.Top, r.Width(), r.Height());
}

int CountPixels(const QImage& image, const QRect& rect, const std::function<bool(QColor)>& test) {
  int count = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) count += test(image.pixelColor(x, y)) ? 1 : 0;
  return count;
}

bool IsDark(QColor c) {
  return c.red() + c.green() + c.blue() < 240;
}

bool IsMaroon(QColor c) {
  return c.red() > 90 && c.green() < 70 && c.blue() < 70;
}

QToolButton* Button(QWidget* form, const char* name) {
  return form->findChild<QToolButton*>(QString::fromLatin1(name));
}

// What the bias view shows of a group, to compare with the model.
QStringList BiasDigest(const QList<TBiasGroup>& groups) {
  QStringList digest;
  for (const TBiasGroup& g : groups) {
    QString line = u"%1 %2 %3 %4:"_s.arg(g.Venue, g.SurfaceLabel()).arg(g.Races).arg(g.Verdict);
    for (const TBiasCorner& corner : g.Corners)
      for (const TBiasCounts* counts : {&corner.Placed, &corner.Field}) {
        for (const int n : counts->Bands) line += u' ' + QString::number(n);
        for (const int n : counts->Lanes) line += u' ' + QString::number(n);
      }
    digest.append(line);
  }
  return digest;
}

}  // namespace

class TResultsWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TWorld> World;
  TResultsWindow* Form = nullptr;

  void OpenCrafted() {
    World->Add(AddCraftedDays);
    Form = OpenResultsWindow(World->Session, &World->Area);
    QVERIFY(QTest::qWaitForWindowExposed(Form));
  }
  QImage GridImage() { return Form->Grid()->grab().toImage(); }

private slots:
  void initTestCase() {
    QFont::insertSubstitution(u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s);
    QApplication::setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
  }
  void init() { World = std::make_unique<TWorld>(); }
  void cleanup() {
    World.reset();
    Form = nullptr;
  }

  void steppingRefitsTheWindowToTheVenues() {
    OpenCrafted();
    auto* frame = qobject_cast<QMdiSubWindow*>(Form->parentWidget());
    QVERIFY(frame);
    QCOMPARE(frame->pos(), QPoint(0, 0));
    QCOMPARE(Form->size(), QSize(856, 309));
    QCOMPARE(frame->windowTitle(), u"2024年5月12日 成績"_s);
    QCOMPARE(Form->findChild<QLabel*>(u"Panel3"_s)->text(), u"東京1回1日目"_s);
    QVERIFY(!Button(Form, "BitBtn2")->isEnabled());

    QTest::mouseClick(Button(Form, "BitBtn1"), Qt::LeftButton);
    QCOMPARE(Form->size(), QSize(304, 337));
    QCOMPARE(frame->windowTitle(), u"2024年5月11日 成績"_s);
    QVERIFY(Form->findChild<QLabel*>(u"Panel2"_s)->isHidden());
    QCOMPARE(Form->findChild<QWidget*>(u"Panel5"_s)->pos(), QPoint(0, 28));

    QTest::keyClick(Form->Grid(), Qt::Key_PageUp);
    QCOMPARE(Form->size(), QSize(1132, 309));
    QCOMPARE(Form->findChild<QLabel*>(u"Title4"_s)->text(), u"新潟1回1日目"_s);
    QVERIFY(!Button(Form, "BitBtn1")->isEnabled());

    QTest::keyClick(Form->Grid(), Qt::Key_PageDown);
    QTest::keyClick(Form->Grid(), Qt::Key_PageDown);
    QCOMPARE(Form->size(), QSize(856, 309));
    QVERIFY(frame->widget() == Form);
  }

  void paintingFollowsTheModel_data() {
    QTest::addColumn<QString>("press");  // buttons clicked first
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("box");
    QTest::addColumn<QPoint>("at");  // from the box's top left
    QTest::addColumn<QColor>("colour");
    const QColor grid = QApplication::palette().color(QPalette::Base);
    QTest::newRow("3 colours: frame 7 magenta")
        << QString() << 1 << 0 << 4 << QPoint(1, 1) << QColor(255, 0, 255);
    QTest::newRow("3 colours: frame 4 silver border")
        << QString() << 1 << 0 << 5 << QPoint(0, 9) << QColor(192, 192, 192);
    QTest::newRow("going box in rain") << QString() << 1 << 3 << 3 << QPoint(1, 1) << QColor(0, 255, 255);
    QTest::newRow("dirt race, all races") << QString() << 1 << 1 << 4 << QPoint(1, 1) << QColor(255, 0, 255);
    QTest::newRow("dirt race, turf only") << u"SpeedButton2"_s << 1 << 1 << 4 << QPoint(1, 1) << grid;
    QTest::newRow("3rd corner row 2: 先行")
        << u"SpeedButton5"_s << 2 << 0 << 4 << QPoint(1, 1) << QColor(255, 207, 159);
    QTest::newRow("3rd corner row 10: 後方")
        << u"SpeedButton5"_s << 2 << 0 << 6 << QPoint(1, 1) << QColor(159, 255, 207);
    QTest::newRow("jockey mode, no payout: grey border")
        << u"SpeedButton8"_s << 3 << 0 << 4 << QPoint(0, 9) << QColor(128, 128, 128);
  }
  void paintingFollowsTheModel() {
    QFETCH(QString, press);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(int, box);
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    OpenCrafted();
    if (!press.isEmpty()) Button(Form, press.toLatin1().constData())->click();
    const QRect rect = Box(column, row, box);
    QCOMPARE(GridImage().pixelColor(rect.topLeft() + at), colour);
  }

  void cornerBoxesAndSurfaceTextInk() {
    OpenCrafted();
    QImage image = GridImage();
    QVERIFY(CountPixels(image, Box(1, 1, 0), IsMaroon) > 10);  // ダ in maroon
    Button(Form, "SpeedButton2")->click();
    Button(Form, "SpeedButton5")->click();
    image = GridImage();
    QCOMPARE(CountPixels(image, Box(1, 1, 0), IsMaroon), 0);
    const int out = CountPixels(image, Box(2, 0, 4), IsDark);
    const int none = CountPixels(image, Box(2, 0, 5), IsDark);
    const int boldOut = CountPixels(image, Box(2, 0, 6), IsDark);
    QVERIFY2(out > 10, qPrintable(QString::number(out)));
    QCOMPARE(none, 0);
    QVERIFY2(boldOut > out, qPrintable(u"%1 %2"_s.arg(boldOut).arg(out)));
  }

  void jockeyCaptionCycleAndStartSwitch() {
    OpenCrafted();
    QToolButton* jockey = Button(Form, "SpeedButton8");
    QStringList captions;
    for (int press = 0; press < 6; ++press) {
      jockey->click();
      captions.append(jockey->text());
    }
    QCOMPARE(captions, (QStringList{u"騎手1"_s, u"騎手2"_s, u"騎手3"_s, u"騎手4"_s, u"騎手5"_s, u"騎手1"_s}));
    QVERIFY(jockey->toolTip().contains(u"騎手1回以上"_s));
    Button(Form, "SpeedButton5")->click();
    QCOMPARE(jockey->text(), u"騎手"_s);
    QVERIFY(jockey->toolTip().contains(u"騎手名表示"_s));

    // "スタート" pressed while down switches the program's colour scheme.
    QToolButton* start = Button(Form, "SpeedButton4");
    start->click();
    QSignalSpy settings(&World->Session, &TSession::SettingsChanged);
    QVERIFY(!World->Session.Settings().Display);
    start->click();
    QVERIFY(World->Session.Settings().Display);
    QCOMPARE(settings.count(), 1);
    QVERIFY(start->toolTip().contains(u"３色表示に切り替え"_s));
    QCOMPARE(GridImage().pixelColor(Box(1, 0, 4).topLeft() + QPoint(1, 1)), QColor(255, 112, 0));
  }

  // Hovering a finisher box shows its horse; elsewhere no tip. The legends follow the settings.
  void finisherAndModeTooltips() {
    OpenCrafted();
    Button(Form, "SpeedButton5")->click();
    TResultsGrid* grid = Form->Grid();
    const auto hover = [grid](QPoint at) {
      QHelpEvent help(QEvent::ToolTip, at, grid->mapToGlobal(at));
      QApplication::sendEvent(grid, &help);
      return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(hover(Box(2, 0, 4).center()), u"1着 1番\n1枠\n３コーナー 先行 2列目・内から3頭目 OUT"_s);
    hover(Box(2, 0, 2).center());
    QTRY_VERIFY(!QToolTip::isVisible());
    QVERIFY(Button(Form, "SpeedButton6")->toolTip().contains(u">OUT</td><td>3頭目<"_s));
    World->ChangeSettings([](TSettings& s) { s.Osoto = 5; });
    QVERIFY(Button(Form, "SpeedButton6")->toolTip().contains(u">OUT</td><td>3～4頭目<"_s));
  }

  void jockeyNamesInTheStatusBar() {
    OpenCrafted();
    QSignalSpy status(Form, &TResultsWindow::StatusText);
    TResultsGrid* grid = Form->Grid();
    QTest::mouseMove(grid, TResultsGrid::CellRect(3, 0).center());
    QCOMPARE(status.count(), 0);  // only while "騎手" is down
    Button(Form, "SpeedButton8")->click();
    QTest::mouseMove(grid, TResultsGrid::CellRect(3, 0).center() + QPoint(1, 0));
    QVERIFY(!status.isEmpty());
    QCOMPARE(status.last(), (QVariantList{1, u"武豊  横山典  岩田康  "_s}));
    status.clear();
    QTest::mouseMove(grid, TResultsGrid::CellRect(3, 7).center());  // empty: the panel stays
    QCOMPARE(status.count(), 0);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(grid, &leave);
    QCOMPARE(status.last(), (QVariantList{1, QString()}));
  }

  void doubleClickAndEnter_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("enter");
    QTest::addColumn<bool>("sorry");
    QTest::addColumn<bool>("opens");
    QTest::newRow("steeplechase") << 2 << false << true << false;
    QTest::newRow("empty cell") << 6 << false << false << false;
    QTest::newRow("flat race") << 0 << false << false << true;
    QTest::newRow("Enter on a flat race") << 0 << true << false << true;
    QTest::newRow("Enter on an empty cell") << 6 << true << false << false;
  }
  void doubleClickAndEnter() {
    QFETCH(int, row);
    QFETCH(bool, enter);
    QFETCH(bool, sorry);
    QFETCH(bool, opens);
    OpenCrafted();
    QSignalSpy sorrySpy(Form, &TResultsWindow::SorryRequested);
    QSignalSpy openSpy(Form, &TResultsWindow::RaceOpenRequested);
    TResultsGrid* grid = Form->Grid();
    const QPoint at = TResultsGrid::CellRect(1, row).center();
    if (enter) {
      // Down from the first row with the arrow key, then Enter.
      QTest::mouseClick(grid, Qt::LeftButton, {}, TResultsGrid::CellRect(1, 0).center());
      for (int r = 0; r < row; ++r) QTest::keyClick(grid, Qt::Key_Down);
      QCOMPARE(grid->CurrentRow(), row);
      QTest::keyClick(grid, Qt::Key_Return);
    } else {
      QTest::mouseDClick(grid, Qt::LeftButton, {}, at);
    }
    QCOMPARE(sorrySpy.count(), sorry ? 1 : 0);
    if (sorry) QCOMPARE(sorrySpy.first().first().toString(), SteeplechaseText());
    QCOMPARE(openSpy.count(), opens ? 1 : 0);
    if (opens) {
      const QByteArray line = World->Store().Races[1].RaceLine;  // 中山 1R
      QCOMPARE(openSpy.first().first().toByteArray(), line);
    }
  }

  void unreadableSummaryLeavesTheRestOfTheGrid() {
    World->Add([](TDayStore& store) {
      AddRace(store, Key("20240512", 6, 1), TurfTrack, {.Frame = 7}, {}, {});
      // A frame that is not a digit.
      AddRace(store, RaceLine(Key("20240512", 6, 2)),
              SummaryLine(Key("20240512", 6, 2), {}, {}, {}).replace(17, 1, "X"));
    });
    Form = OpenResultsWindow(World->Session, &World->Area);
    QSignalSpy status(Form, &TResultsWindow::StatusText);
    const QImage image = GridImage();
    QCOMPARE(image.pixelColor(Box(1, 0, 4).topLeft() + QPoint(1, 1)), QColor(255, 0, 255));
    QCOMPARE(status.count(), 1);
    QVERIFY(!status.first().at(1).toString().isEmpty());
  }

  void trackBiasFollowsTheDayTheCorrectionsAndTheSettings() {
    World->Session.StartUp();
    QVERIFY(World->Session.RunDownload().FilesWritten);
    Form = OpenResultsWindow(World->Session, &World->Area);
    TSession& session = World->Session;
    const auto modelOf = [&](const char* date) {
      return BiasDigest(DayBias(session.Store(), date, session.Settings()));
    };
    Button(Form, "SpeedButton9")->click();
    TBiasView* view = Form->BiasView();
    QVERIFY(view && view->isVisible());
    QCOMPARE(view->From(), QByteArray("20240512"));
    QCOMPARE(BiasDigest(view->Groups()), modelOf("20240512"));
    QVERIFY(view->Groups().size() >= 2);
    // The band columns in the bands' own colours.
    const QImage table = view->Table()->grab().toImage();
    for (int b = 0; b < BandCount; ++b) {
      const TRgb colour = BandColour(AllBands[b]);
      QCOMPARE(table.pixelColor(TBiasView::CellRect(0, 3, 1 + b).topLeft() + QPoint(2, 2)),
               QColor(colour.R, colour.G, colour.B));
    }

    QTest::keyClick(Form->Grid(), Qt::Key_PageUp);
    QCOMPARE(view->From(), QByteArray("20240511"));
    QCOMPARE(BiasDigest(view->Groups()), modelOf("20240511"));
    QTest::keyClick(Form->Grid(), Qt::Key_PageDown);

    // A race window closes with every horse moved three lanes out at the fourth corner.
    const QStringList before = BiasDigest(view->Groups());
    TRaceRecord race;
    QByteArray raceLine;
    for (const TRaceEntry& entry : session.Store().Races) {
      const TPositionLine line(entry.PositionLine);
      if (race.RaceDate(entry.RaceLine) == "20240512" && line.HasHeader() && !line.IsStraight() &&
          race.TrackDistance(entry.RaceLine).startsWith(u'芝'))
        raceLine = entry.RaceLine;
    }
    QVERIFY(!raceLine.isEmpty());
    TOpenRace* open = session.OpenRace(raceLine);
    open->ShowSection(u"４コーナー"_s);
    for (int step = 0; step < 3; ++step)
      for (int n = open->State().N; n >= 1; --n) open->MoveOut(n);
    session.CloseRace(open);
    QCOMPARE(BiasDigest(view->Groups()), modelOf("20240512"));
    QVERIFY(BiasDigest(view->Groups()) != before);

    // Wider bands put more horses in front.
    const QStringList corrected = BiasDigest(view->Groups());
    TSettings settings = session.Settings();
    settings.Senkou = 8;
    settings.Koui = 10;
    settings.Tyuudan = 12;
    session.SetSettings(settings);
    QCOMPARE(BiasDigest(view->Groups()), modelOf("20240512"));
    QVERIFY(BiasDigest(view->Groups()) != corrected);

    // The meeting is counted from the archive: the correction and the settings count there too.
    auto* period = view->findChild<QComboBox*>(u"BiasPeriod"_s);
    period->setCurrentIndex(int(TBiasPeriod::Meeting));
    emit period->activated(period->currentIndex());
    const auto [first, last] = session.MeetingPeriod("20240512");
    QVERIFY(first < "20240511" && last == "20240512");
    QCOMPARE(view->From() + view->To(), first + last);
    QCOMPARE(BiasDigest(view->Groups()),
             BiasDigest(RangeBias(session.Store(), first, last, session.Settings())));
    QVERIFY(view->Groups().first().Races > DayBias(session.Store(), "20240512", session.Settings())[0].Races);
    // A date typed in makes the period the chosen dates, in either order.
    view->findChild<QDateEdit*>(u"BiasFrom"_s)->setDate(QDate(2024, 5, 12));
    view->findChild<QDateEdit*>(u"BiasTo"_s)->setDate(QDate(2024, 5, 11));
    QCOMPARE(view->Period(), TBiasPeriod::Chosen);
    QCOMPARE(view->From() + view->To(), QByteArray("2024051120240512"));

    // Its own close box brings the button up; the button shows it again.
    view->close();
    QVERIFY(!Button(Form, "SpeedButton9")->isChecked());
    Button(Form, "SpeedButton9")->click();
    QVERIFY(view->isVisible());
  }

  void csvButtonWritesTheDayWhole() {
    World->Session.StartUp();
    QVERIFY(World->Session.RunDownload().FilesWritten);
    Form = OpenResultsWindow(World->Session, &World->Area);
    QSignalSpy status(Form, &TResultsWindow::StatusText);
    QSignalSpy sorry(Form, &TResultsWindow::SorryRequested);
    QString suggested;
    QString answer;
    Form->AskCsvPath = [&](const QString& path) {
      suggested = path;
      return answer;
    };
    const QString dataDir = World->Session.Shell().DataDir;
    QToolButton* csv = Button(Form, "BitBtn4");

    csv->click();  // cancelled
    QCOMPARE(QFileInfo(suggested).fileName(), u"成績_20240512.csv"_s);
    QCOMPARE(QFileInfo(suggested).absolutePath(), QFileInfo(dataDir).absoluteFilePath());
    QCOMPARE(status.count() + sorry.count(), 0);

    // Another day, into a folder of the user's choice.
    QTest::keyClick(Form->Grid(), Qt::Key_PageUp);
    const QString folder = World->Dir.filePath(u"out"_s);
    QVERIFY(QDir().mkpath(folder));
    answer = folder + u"/day.csv"_s;
    csv->click();
    QCOMPARE(QFileInfo(suggested).fileName(), u"成績_20240511.csv"_s);
    QFile file(answer);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), DayCsvText(World->Store(), "20240511", World->Session.Settings()));
    QCOMPARE(status.count(), 1);
    QCOMPARE(sorry.count(), 0);

    // The folder is offered again; a folder that cannot be written is said so.
    answer = folder + u"/missing/day.csv"_s;
    csv->click();
    QCOMPARE(suggested, folder + u"/成績_20240511.csv"_s);
    QCOMPARE(sorry.count(), 1);
    QCOMPARE(status.count(), 1);
    QVERIFY(!QFile::exists(answer));
  }

  void demoWeekExportsEveryRace() {
    World->Session.StartUp();
    QVERIFY(World->Session.RunDownload().FilesWritten);
    World->ChangeSettings([](TSettings& settings) { settings.UseTG = true; });
    Form = OpenResultsWindow(World->Session, &World->Area);
    QCOMPARE(Form->windowTitle(), u"2024年5月12日 成績"_s);
    auto* menu = Form->findChild<QMenu*>(u"N1"_s, Qt::FindDirectChildrenOnly);
    QVERIFY(menu && menu->menuAction()->isVisible());
    QSignalSpy status(Form, &TResultsWindow::StatusText);
    menu->actions().first()->trigger();
    QCOMPARE(status.count(), 1);
    const QString text = status.first().at(1).toString();
    QVERIFY2(text.contains(u" レースの補正タイムを出力しました"_s) &&
                 text.contains(QDir::toNativeSeparators(World->Session.Shell().DataDir)),
             qPrintable(text));
    QVERIFY(!QDir(World->Session.Shell().DataDir).entryList({u"FT*.dat"_s}).isEmpty());

    // A folder that cannot be made: the races and the reason are shown, not a success.
    QSignalSpy sorry(Form, &TResultsWindow::SorryRequested);
    const QString missing = World->Session.Shell().DataDir + u"/missing/FUKA_TIME"_s;
    World->ChangeSettings([&](TSettings& settings) { settings.TargetDir = missing; });
    menu->actions().first()->trigger();
    QCOMPARE(sorry.count(), 1);
    QVERIFY2(sorry.first().at(0).toString().contains(u"missing/FUKA_TIME/2024"_s),
             qPrintable(sorry.first().at(0).toString()));
    QVERIFY(!status.last().at(1).toString().contains(u"出力しました"_s));
  }
};

QTEST_MAIN(TResultsWindowTest)
#include "ResultsWindowTest.moc"
