#include "RaceWindowFixture.h"
#include "desktop/race/DiagramView.h"
#include "desktop/race/MarginDialog.h"
#include "desktop/race/RaceGridView.h"
#include "desktop/race/RaceWindow.h"
#include "desktop/race/RaceWindowDemo.h"
#include "desktop/widgets/UiColour.h"
#include "position/PositionLine.h"
#include "race/OpenRace.h"
#include "race/RaceGrid.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>
#include <QWheelEvent>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <set>

class RaceWindowTest : public QObject, TRaceWindowFixture {
  Q_OBJECT

private slots:
  void cleanup() { CloseArea(); }
  void initTestCase() { SetUpWeek(); }

  void OpensTheRaceWithSheetTitleAndTabs() {
    TRaceWindow* window = Open();
    const TRaceState& state = window->Race()->State();
    QCOMPARE(window->windowTitle(), state.Caption());
    QCOMPARE(FArea->subWindowList().size(), 1);
    QCOMPARE(FArea->subWindowList().first()->pos(), QPoint(0, 0));
    QCOMPARE(window->Tabs()->count(), state.Tabs.size());
    for (int i = 0; i < state.Tabs.size(); ++i) QCOMPARE(window->Tabs()->tabText(i), state.Tabs[i]);
    QCOMPARE(window->Tabs()->tabText(window->Tabs()->currentIndex()), u"３コーナー"_s);
    QVERIFY(window->InfoPanel()->text().startsWith(u"   "_s));
    // The demo has no movies: the greyed replay says so.
    QVERIFY(!window->ReplayButton()->isEnabled());
    QCOMPARE(window->ReplayButton()->toolTip(), u"このレースのリプレイ映像はありません"_s);

    // The painted sheet follows the model: header colour, the winner's yellow
    // placing, the frame colour of the first horse's number.
    const QImage grid = window->Grid()->grab().toImage();
    // A cell's upper half, above its text.
    const auto top = [](int column, int row) {
      return ToQRect(SheetGeometry::CellRect(column, row, TRaceSheet::RunTimeColumn)).adjusted(0, 0, 0, -16);
    };
    for (int column : {0, 1, 2, 3}) {
      const TCellLook look = RaceCellLook(state.Sheet, state.PositionLine, column, 1);
      QCOMPARE(RaceCellLook(state.Sheet, state.PositionLine, column, 0).Background, HeaderColour);
      QVERIFY(HasColour(grid, top(column, 0), HeaderColour));
      if (look.Background)
        QVERIFY2(HasColour(grid, top(column, 1), *look.Background), qPrintable(QString::number(column)));
    }
    QCOMPARE(state.Sheet.Cell(TRaceSheet::PlaceColumn, 1), u"1"_s);
    // The diagram: markers in their frame colours on the turf.
    const QImage image = window->Image()->grab().toImage();
    QVERIFY(FirstShownHorse(*window) > 0);
    for (int n = 1; n <= state.N; ++n) {
      const TDiagramMarker& marker = window->Race()->Diagram().Markers[n - 1];
      if (marker.Visible)
        QVERIFY2(HasColour(image, window->Image()->MarkerRect(n), marker.Colour, TextTolerance),
                 qPrintable(QString::number(n)));
    }
  }

  void DragToAFreeSpotChangesTheLineAndTheSheet() {
    TRaceWindow* window = Open();
    const TTrackDiagram& diagram = window->Race()->Diagram();
    const QByteArray before = window->Race()->State().PositionLine;
    // A shown horse, moved three lanes further out than anyone at its row.
    const auto out = [&](int n) {
      return PointAt(diagram, diagram.Rows[n - 1], 816 + 15 * (diagram.Lanes[n - 1] + 3));
    };
    const int horse = FirstShownHorse(*window, [&](int n) {
      return window->Image()->rect().contains(out(n)) && !window->Image()->MarkerAt(out(n)) &&
             !diagram.SpotOccupied(diagram.Rows[n - 1], diagram.Lanes[n - 1] + 3);
    });
    QVERIFY(horse > 0);
    const QPoint target = out(horse);
    // What the model makes of the same drop.
    TTrackDiagram expectedDiagram = diagram;
    QByteArray expected = before;
    TDiagramEditor model(expectedDiagram, expected);
    model.MoveMarker(horse, target.x(), target.y());
    model.EndDrag(horse);
    QVERIFY(expected != before);

    const QStringList sheetBefore = SheetCells(window->Race()->State().Sheet, TRaceSheet::ConvertedColumn);
    Drag(window->Image(), MarkerCentre(*window, horse), target);
    QCOMPARE(window->Race()->State().PositionLine, expected);
    QVERIFY(SheetCells(window->Race()->State().Sheet, TRaceSheet::ConvertedColumn) != sheetBefore);
    // The marker is painted where it now stands.
    const QImage image = window->Image()->grab().toImage();
    const QPoint point = window->Image()->MarkerRect(horse).topLeft() + QPoint(6, 6);
    QVERIFY((point - target).manhattanLength() <= 2);
    QVERIFY(HasColour(image, window->Image()->MarkerRect(horse), diagram.Markers[horse - 1].Colour,
                      TextTolerance));
  }

  void DropOnTheInfieldChangesNothing() {
    TRaceWindow* window = Open();
    const TTrackDiagram& diagram = window->Race()->Diagram();
    const int horse = FirstShownHorse(*window);
    QVERIFY(horse > 0);
    const QByteArray before = window->Race()->State().PositionLine;
    const TDiagramPoint place = diagram.Markers[horse - 1].TopLeft;
    const QPoint infield = PointAt(diagram, diagram.Rows[horse - 1], 760);
    QVERIFY(window->Image()->rect().contains(infield));
    QSignalSpy status(window, &TRaceWindow::StatusText);
    Drag(window->Image(), MarkerCentre(*window, horse), infield);
    QCOMPARE(window->Race()->State().PositionLine, before);
    QCOMPARE(diagram.Markers[horse - 1].TopLeft, place);
    QCOMPARE(status.last().at(1).toString(), u"内馬場には置けません。"_s);
    // Onto another horse: the status bar names it.
    const int other = FirstShownHorse(*window, [&](int n) { return n != horse; });
    Drag(window->Image(), MarkerCentre(*window, horse), MarkerCentre(*window, other));
    QCOMPARE(window->Race()->State().PositionLine, before);
    QString number = QString::number(other);
    for (QChar& c : number) c = QChar(char16_t(c.unicode() - u'0' + u'０'));
    QCOMPARE(status.last().at(1).toString(), u"その位置には%1番がいます。"_s.arg(number));
    QVERIFY(!window->UndoAction()->isEnabled());
  }

  void RailClickWithThreeWheelTurnsSetsTheMargin() {
    TRaceWindow* window = Open();
    const TTrackDiagram& diagram = window->Race()->Diagram();
    std::set<int> rows;
    for (int n = 1; n <= window->Race()->State().N; ++n)
      if (diagram.Rows[n - 1] >= 0) rows.insert(diagram.Rows[n - 1]);
    QVERIFY(rows.size() >= 2);
    // The rail halfway between the two front rows.
    const QPoint click = PointAt(diagram, *rows.begin() + 0.5, 800);
    QVERIFY(window->Image()->rect().contains(click));
    QCOMPARE(window->Image()->Picture().pixel(click) & 0xffffff, 0xffffffu);
    QCOMPARE(window->Image()->MarkerAt(click), 0);

    TTrackDiagram expectedDiagram = diagram;
    QByteArray expected = window->Race()->State().PositionLine;
    TDiagramEditor model(expectedDiagram, expected);
    const std::optional<TMarginGap> gap = model.FindMarginGap(click.x(), click.y(), true);
    QVERIFY(gap.has_value());
    const int wanted = std::min(gap->Gap + 3, 30);
    model.ApplyMargin(*gap, wanted);
    model.FinishEdit();

    int shownValue = 0;
    QString shownPanel;
    OnNextModal(window, [&](QWidget* modal) {
      TMarginDialog* dialog = window->MarginDialog();
      QCOMPARE(modal, dialog);
      // Over another widget: the dialog takes every wheel turn.
      for (int turn = 0; turn < 3; ++turn) TurnWheel(window->Grid());
      shownValue = dialog->Value();
      shownPanel = dialog->PanelText();
      QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    QTest::mouseClick(window->Image(), Qt::LeftButton, {}, click);
    QCOMPARE(shownValue, wanted);
    QCOMPARE(shownPanel, QString::number(wanted) + u"馬身差 "_s);
    QCOMPARE(window->Race()->State().PositionLine, expected);

    // Closed, the dialog leaves the wheel to the rest of the program.
    TurnWheel(window->Grid());
    QCOMPARE(window->MarginDialog()->Value(), wanted);
  }

  void BlinkHidesAndShowsThreeTimes() {
    TRaceWindow* window = Open();
    const TRaceSheet& sheet = window->Race()->State().Sheet;
    int row = 1;
    int horse = 0;
    for (; row < TRaceSheet::RowCount; ++row) {
      horse = sheet.Cell(TRaceSheet::NumberColumn, row).toInt();
      if (horse >= 1 && horse <= 18 && window->Race()->Diagram().Markers[horse - 1].Visible) break;
    }
    QVERIFY(row < TRaceSheet::RowCount);
    const TCellRect name = SheetGeometry::CellRect(TRaceSheet::NameColumn, row, TRaceSheet::RunTimeColumn);
    QTest::mouseClick(window->Grid(), Qt::LeftButton, {}, QPoint(name.Left + 5, name.Top + 5));
    QVERIFY(window->BlinkTimer()->isActive());
    QCOMPARE(window->BlinkTimer()->interval(), 500);
    QList<bool> seen;
    for (int tick = 0; tick < 6; ++tick) {
      window->Race()->BlinkStep();
      seen.append(window->Race()->Diagram().Markers[horse - 1].Visible);
    }
    QCOMPARE(seen, (QList<bool>{false, true, false, true, false, true}));
    QVERIFY(!window->BlinkTimer()->isActive());

    // Another corner while the marker is out: the new section decides what shows.
    QVERIFY(window->Tabs()->count() >= 2);
    QTest::mouseClick(window->Grid(), Qt::LeftButton, {}, QPoint(name.Left + 5, name.Top + 5));
    window->Race()->BlinkStep();
    QVERIFY(!window->Race()->Diagram().Markers[horse - 1].Visible);
    window->Tabs()->setCurrentIndex(window->Tabs()->currentIndex() == 0 ? 1 : 0);
    QVERIFY(!window->BlinkTimer()->isActive());
    const TTrackDiagram& diagram = window->Race()->Diagram();
    QCOMPARE(diagram.Markers[horse - 1].Visible,
             diagram.Rows[horse - 1] > -1 && diagram.Lanes[horse - 1] > -1);
  }

  void TickerStepsWhileThePayoutButtonIsDown() {
    TRaceWindow* window = Open();
    QVERIFY(!window->PayoutButton()->isChecked());
    QSignalSpy status(window, &TRaceWindow::StatusText);
    TPayoutTicker ticker;
    ticker.SetOn(true, window->Race()->State().PayoutLine);
    QStringList expected{ticker.Text()};
    for (int step = 0; step < 2; ++step) {
      ticker.Tick();
      expected.append(ticker.Text());
    }
    expected.append(QString());
    QTest::mouseClick(window->PayoutButton(), Qt::LeftButton);
    QVERIFY(window->TickerTimer()->isActive());
    QCOMPARE(window->TickerTimer()->interval(), 350);
    window->Race()->TickerStep();
    window->Race()->TickerStep();
    QTest::mouseClick(window->PayoutButton(), Qt::LeftButton);
    QVERIFY(!window->TickerTimer()->isActive());
    QStringList texts;
    for (const QList<QVariant>& args : status) {
      QCOMPARE(args.at(0).toInt(), 0);
      texts.append(args.at(1).toString());
    }
    QVERIFY(!expected.first().isEmpty());
    QCOMPARE(texts, expected);
  }

  void ExportWritesTheRaceAndNamesTheFile() {
    TSettings offered = Session().Settings();
    offered.UseTG = true;
    Session().SetSettings(offered);
    TRaceWindow* window = Open();
    QVERIFY(window->ExportButton()->isVisibleTo(window));
    QVERIFY(!window->ExportSettingsAction()->isVisible());
    QSignalSpy status(window, &TRaceWindow::StatusText);
    QTest::mouseClick(window->ExportButton(), Qt::LeftButton);
    offered.UseTG = false;
    Session().SetSettings(offered);
    QCOMPARE(status.size(), 1);
    // Switched off, the menu offers the setting instead.
    QVERIFY(window->ExportSettingsAction()->isVisible());
    QSignalSpy asked(window, &TChildWindow::SettingsRequested);
    window->ExportSettingsAction()->trigger();
    QCOMPARE(asked.size(), 1);
    const QString text = status.first().at(1).toString();
    const QString path = QDir::fromNativeSeparators(text.mid(text.indexOf(u'/')));
    QVERIFY2(text.startsWith(u"補正タイムを出力しました: "_s), qPrintable(text));
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    // The race's line: (day - 1) * 12 + race - 1.
    const QByteArray key = window->Race()->State().RaceKey;
    const QList<QByteArray> lines = file.readAll().split('\n');
    const QByteArray line = lines.value((key.mid(12, 2).toInt() - 1) * 12 + key.mid(14, 2).toInt() - 1);
    const QByteArray expected =
        AddedTimeLine(window->Race()->State().PositionLine, window->Race()->State().Runners,
                      window->Race()->State().LossPerLane());
    QVERIFY(!expected.trimmed().isEmpty());
    QCOMPARE(line.chopped(1), expected);
  }

  void RebuildAsksAndPutsBackTheDownloadedLine_data() {
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<bool>("accept");
    QTest::newRow("button, accepted") << false << true;
    QTest::newRow("button, declined") << false << false;
    QTest::newRow("menu, accepted") << true << true;
  }
  void RebuildAsksAndPutsBackTheDownloadedLine() {
    QFETCH(bool, fromMenu);
    QFETCH(bool, accept);
    TRaceWindow* window = Open();
    const TTrackDiagram& diagram = window->Race()->Diagram();
    const int horse = HorseWithRoom(window->Race()->Diagram());
    QVERIFY(horse > 0);
    QTest::mouseDClick(window->Image(), Qt::LeftButton, {}, MarkerCentre(*window, horse));
    const QByteArray edited = window->Race()->State().PositionLine;
    const int editedLane = diagram.Lanes[horse - 1];
    QVERIFY(edited != FDownloadedLine);

    OnNextModal(window, [accept](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QVERIFY(box);
      for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == (accept ? QMessageBox::AcceptRole : QMessageBox::RejectRole))
          button->click();
    });
    if (fromMenu)
      window->RebuildAction()->trigger();
    else
      QTest::mouseClick(window->RebuildButton(), Qt::LeftButton);
    QCOMPARE(window->RebuildAction()->text(), u"通過順から作り直す(&T)"_s);

    if (!accept) {
      QCOMPARE(window->Race()->State().PositionLine, edited);
      QCOMPARE(diagram.Lanes[horse - 1], editedLane);
      return;
    }
    QCOMPARE(window->Race()->State().PositionLine, FDownloadedLine);
    QCOMPARE(SheetCells(window->Race()->State().Sheet), FDownloadedSheet);
    // The diagram stands on the rebuilt line, its marker painted there.
    QCOMPARE(diagram.Lanes[horse - 1],
             TPositionLine(FDownloadedLine).Lane(horse, diagram.SelectedSection) - 1);
    QVERIFY(HasColour(window->Image()->grab().toImage(), window->Image()->MarkerRect(horse),
                      diagram.Markers[horse - 1].Colour, TextTolerance));
    // Written back at close like any edit.
    FArea->subWindowList().first()->close();
    for (const TRaceEntry& entry : Session().Store().Races)
      if (entry.RaceLine == FRaceLine) QCOMPARE(entry.PositionLine, FDownloadedLine);
  }

  void PictureHoldsTheSheetAndTheDiagram() {
    TRaceWindow* window = Open();
    QSignalSpy status(window, &TRaceWindow::StatusText);
    QSignalSpy sorry(window, &TRaceWindow::SorryRequested);
    QTemporaryDir folder;
    QString suggested;
    QString answer = folder.filePath(u"shared.png"_s);
    window->AskPicturePath = [&](const QString& path) {
      suggested = path;
      return answer;
    };
    QTest::mouseClick(window->PictureButton(), Qt::LeftButton);
    const QString key = QString::fromLatin1(window->Race()->State().RaceKey);
    QCOMPARE(suggested, QDir(Session().Shell().DataDir).filePath(key + u"_３コーナー.png"_s));
    QCOMPARE(sorry.size(), 0);
    QCOMPARE(status.size(), 1);

    QImage picture;
    QVERIFY(picture.load(answer, "PNG"));
    const QSize sheet = window->Grid()->size();
    const QSize image = window->Image()->size();
    const int margin = TRaceWindow::PictureMargin;
    QCOMPARE(picture.size(),
             QSize(3 * margin + sheet.width() + image.width(),
                   2 * margin + TRaceWindow::PictureTitleHeight + std::max(sheet.height(), image.height())));
    // The diagram pixel for pixel where its markers stand, and the sheet's header.
    const QPoint origin(2 * margin + sheet.width(), margin + TRaceWindow::PictureTitleHeight);
    const QImage shown = window->Image()->grab().toImage();
    const TTrackDiagram& diagram = window->Race()->Diagram();
    int compared = 0;
    for (int n = 1; n <= window->Race()->State().N; ++n) {
      if (!diagram.Markers[n - 1].Visible) continue;
      const QRect marker = window->Image()->MarkerRect(n);
      for (int y = marker.top(); y <= marker.bottom(); ++y)
        for (int x = marker.left(); x <= marker.right(); ++x, ++compared)
          QCOMPARE(picture.pixelColor(origin + QPoint(x, y)), shown.pixelColor(x, y));
    }
    QVERIFY(compared > 0);
    QCOMPARE(picture.pixelColor(margin + 2, origin.y() + 2), ToQColor(HeaderColour));

    // Another tab, into the folder saved to last; a folder that is not there is said so.
    window->Tabs()->setCurrentIndex(window->Tabs()->currentIndex() + 1);
    answer = folder.filePath(u"missing/shared.png"_s);
    window->PictureAction()->trigger();
    QCOMPARE(suggested, folder.filePath(key + u"_"_s +
                                        window->Tabs()->tabText(window->Tabs()->currentIndex()) + u".png"_s));
    QCOMPARE(sorry.size(), 1);
    QCOMPARE(status.size(), 1);
  }

  void CloseWritesBackAndTheEditSurvivesARestart() {
    QTemporaryDir dir;
    QByteArray edited;
    QByteArray raceLine;
    {
      TDemoSession demo(dir.path());
      raceLine = FindRace(demo.Session, IsRightHandedTurfAtTheThirdCorner);
      TRaceWindow* window = Open(demo.Session, raceLine);
      const int horse = HorseWithRoom(window->Race()->Diagram());
      QVERIFY(horse > 0);
      const QByteArray before = window->Race()->State().PositionLine;
      // One lane out.
      QTest::mouseDClick(window->Image(), Qt::LeftButton, {}, MarkerCentre(*window, horse));
      edited = window->Race()->State().PositionLine;
      QVERIFY(edited != before);
      QSignalSpy replaced(&demo.Session, &TSession::SummaryReplaced);
      FArea->subWindowList().first()->close();
      QCOMPARE(replaced.size(), 1);
      QCOMPARE(demo.Session.OpenRaceCount(), 0);
      for (const TRaceEntry& entry : demo.Session.Store().Races)
        if (entry.RaceLine == raceLine) QCOMPARE(entry.PositionLine, edited);
      demo.Session.Close(nullptr);
    }
    TDemoSession restarted(dir.path(), false);
    QCOMPARE(Open(restarted.Session, raceLine)->Race()->State().PositionLine, edited);
  }
};

QTEST_MAIN(RaceWindowTest)
#include "RaceWindowTest.moc"
