#include "RaceWindowFixture.h"
#include "desktop/race/MarginDialog.h"
#include "position/PositionLine.h"
#include "race/RaceGrid.h"

#include <QAbstractButton>
#include <QAction>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTabBar>
#include <QUndoStack>

#include <set>

// The race window from the keyboard: selecting and moving horses, the margin
// in front of one, and every edit undone and redone.
class RaceUndoKeysTest : public QObject, TRaceWindowFixture {
  Q_OBJECT

private slots:
  void cleanup() { CloseArea(); }
  void initTestCase() { SetUpWeek(); }

  // Typing a number or Tab selects; arrows move under the drop's rules; Enter sets the margin in front.
  void KeysSelectMoveAndSetTheMargin() {
    TRaceWindow* window = Open();
    FArea->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FArea.get()));
    TOpenRace* race = window->Race();
    const TTrackDiagram& diagram = race->Diagram();
    QCOMPARE(QApplication::focusWidget(), window->Image());
    QVERIFY(race->State().N >= 10);
    QTest::keyClicks(window->Image(), u"10"_s);
    QCOMPARE(race->Selected(), diagram.Markers[9].Visible ? 10 : 0);
    // Tab goes down the sheet: from the winner to the second.
    const auto sheetHorse = [&](int row) {
      return race->State().Sheet.Cell(TRaceSheet::NumberColumn, row).trimmed().toInt();
    };
    QTest::qWait(1100);  // a pause: the next digit is a number of its own
    QTest::keyClick(window->Image(), Qt::Key(Qt::Key_0 + sheetHorse(1)));
    QCOMPARE(race->Selected(), sheetHorse(1));
    QTest::keyClick(window->Image(), Qt::Key_Tab);
    QCOMPARE(race->Selected(), sheetHorse(2));
    QTest::keyClick(window->Image(), Qt::Key_Backtab);
    QCOMPARE(race->Selected(), sheetHorse(1));

    // The horse one lane out, then one row back, as the model moves it.
    const int n = race->Selected();
    const QByteArray original = race->State().PositionLine;
    TTrackDiagram expectedDiagram = diagram;
    QByteArray expected = original;
    TDiagramEditor model(expectedDiagram, expected);
    for (const auto& [rows, lanes] : {std::pair{0, 1}, std::pair{1, 0}}) {
      model.MoveTo(n, expectedDiagram.Rows[n - 1] + rows, expectedDiagram.Lanes[n - 1] + lanes);
      model.EndDrag(n);
    }
    QTest::keyClick(window->Image(), Qt::Key_Right);
    QTest::keyClick(window->Image(), Qt::Key_Down);
    QCOMPARE(race->State().PositionLine, expected);
    QVERIFY(expected != original);
    // In until something stops it: the rail or another horse, and the status bar says which.
    QSignalSpy status(window, &TRaceWindow::StatusText);
    for (int step = 0; step < 100; ++step) {
      const QByteArray before = race->State().PositionLine;
      QTest::keyClick(window->Image(), Qt::Key_Left);
      if (race->State().PositionLine == before) break;
    }
    const QString said = status.last().at(1).toString();
    QVERIFY2(said == u"これより内へは動かせません。"_s || said.startsWith(u"その位置には"_s),
             qPrintable(said));

    // Enter: the dialog shows the gap in front of the horse.
    const std::optional<TMarginGap> gap = race->Editor().GapInFrontOf(n);
    int shown = -1;
    OnNextModal(window, [&](QWidget*) {
      shown = window->MarginDialog()->Value();
      window->MarginDialog()->reject();
    });
    QTest::keyClick(window->Image(), Qt::Key_Return);
    QCOMPARE(shown, gap ? std::clamp(gap->Gap, 1, 30) : -1);
  }

  // Each edit is one step back and forth; the close writes what then stands.
  void UndoAndRedoWalkTheEditsAndTheCloseWritesWhatStands() {
    TRaceWindow* window = Open();
    TOpenRace* race = window->Race();
    const auto line = [race] { return race->State().PositionLine; };
    QList<QByteArray> lines{line()};
    QList<QStringList> sheets{SheetCells(race->State().Sheet)};
    const auto edited = [&] {
      QVERIFY(line() != lines.last());
      lines.append(line());
      sheets.append(SheetCells(race->State().Sheet));
    };
    const int horse = HorseWithRoom(window->Race()->Diagram());
    QVERIFY(horse > 0);
    QTest::mouseDClick(window->Image(), Qt::LeftButton, {}, MarkerCentre(*window, horse));
    edited();
    QVERIFY(window->UndoAction()->text().endsWith(u"を外へ"_s));
    // The margin between the two front rows set from the rail, on the fourth corner.
    window->Tabs()->setCurrentIndex(window->Tabs()->count() - 1);
    const TTrackDiagram& diagram = race->Diagram();
    std::set<int> rows;
    for (int n = 1; n <= race->State().N; ++n)
      if (diagram.Rows[n - 1] >= 0) rows.insert(diagram.Rows[n - 1]);
    const QPoint click = PointAt(diagram, *rows.begin() + 0.5, 800);
    race->PressImage(true, click.x(), click.y(), true, [](int gap) { return std::optional<int>(gap + 2); });
    edited();
    QCOMPARE(window->UndoAction()->text(), u"元に戻す(&U): 着差の変更"_s);
    OnNextModal(window, [](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == QMessageBox::AcceptRole) button->click();
    });
    window->RebuildAction()->trigger();
    QCOMPARE(line(), FDownloadedLine);
    lines.append(line());
    sheets.append(SheetCells(race->State().Sheet));

    const auto key = [&](int keyCode, Qt::KeyboardModifiers modifiers) {
      QTest::keyClick(window->Image(), Qt::Key(keyCode), modifiers);
    };
    QCOMPARE(window->UndoStack()->count(), 3);
    FArea->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FArea.get()));
    for (int step = 2; step >= 0; --step) {
      key(Qt::Key_Z, Qt::ControlModifier);
      QVERIFY2(line() == lines[step], qPrintable(QString::number(step)));
      QCOMPARE(SheetCells(race->State().Sheet), sheets[step]);
    }
    QVERIFY(!window->UndoAction()->isEnabled());
    // The first edit was on the third corner: undoing it showed that corner again.
    QCOMPARE(window->Tabs()->tabText(window->Tabs()->currentIndex()), u"３コーナー"_s);
    QCOMPARE(diagram.Lanes[horse - 1], TPositionLine(lines[0]).Lane(horse, diagram.SelectedSection) - 1);
    key(Qt::Key_Y, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(line(), lines[2]);
    QCOMPARE(window->RedoAction()->text(), u"やり直す(&Y): 通過順からの作り直し"_s);

    FArea->subWindowList().first()->close();
    for (const TRaceEntry& entry : Session().Store().Races)
      if (entry.RaceLine == FRaceLine) QCOMPARE(entry.PositionLine, lines[2]);
  }
};

QTEST_MAIN(RaceUndoKeysTest)
#include "RaceUndoKeysTest.moc"
