#include "desktop/race/DiagramView.h"
#include "desktop/race/RaceGridView.h"
#include "desktop/race/RaceWindow.h"
#include "desktop/race/RaceWindowDemo.h"
#include "desktop/widgets/UiColour.h"
#include "race/OpenRace.h"
#include "race/RaceGrid.h"

#include <QApplication>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <memory>

// The race window's tooltips show what the open race says of the horse under
// the pointer, on its marker and on its sheet row.
class RaceTooltipTest : public QObject {
  Q_OBJECT

  QTemporaryDir FDir;
  std::unique_ptr<TDemoSession> FDemo;

  static QString Hover(QWidget* widget, QPoint at) {
    QHelpEvent help(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  }

private slots:
  void initTestCase() {
    UseWindowFont();
    FDemo = std::make_unique<TDemoSession>(FDir.path());
  }

  void markerAndSheetRowShowTheHorse() {
    const QByteArray raceLine = FindRace(
        FDemo->Session, [](const TRaceShape& race) { return !race.Straight() && race.ThirdCorner(); });
    QVERIFY(!raceLine.isEmpty());
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    TRaceWindow* window = OpenRaceWindow(FDemo->Session, raceLine, &area);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    TOpenRace* race = window->Race();
    int n = 1;
    while (n <= race->State().N && !race->Diagram().Markers[n - 1].Visible) ++n;
    QVERIFY(n <= race->State().N);

    const QString marker = Hover(window->Image(), window->Image()->MarkerRect(n).center());
    QCOMPARE(marker, race->HorseTip(n));
    QVERIFY(marker.contains(u"３コーナー "_s) && marker.contains(u"外を回ったロス"_s));
    // The sheet's second row, in the time column.
    const QPoint row =
        ToQRect(SheetGeometry::CellRect(TRaceSheet::RunTimeColumn, 2, TRaceSheet::RunTimeColumn)).center();
    QCOMPARE(Hover(window->Grid(), row), race->SheetRowTip(2));
    // Off the markers: no tip.
    Hover(window->Image(), QPoint(2, 2));
    QTRY_VERIFY(!QToolTip::isVisible());
  }
};

QTEST_MAIN(RaceTooltipTest)
#include "RaceTooltipTest.moc"
