#pragma once

// What the race window's tests share: a downloaded demo week, the race they
// open, and the helpers that find, drag and read markers.

#include "desktop/race/DiagramView.h"
#include "desktop/race/RaceWindow.h"
#include "desktop/race/RaceWindowDemo.h"
#include "desktop/widgets/UiColour.h"
#include "race/OpenRace.h"
#include "support/HorseWithRoom.h"

#include <QApplication>
#include <QMdiArea>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>

// Some pixel of the area has this colour; text is smoothed, so its strokes
// may come near the colour without reaching it.
inline bool HasColour(const QImage& image, const QRect& area, TRgb colour, int tolerance = 0) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      if (!image.valid(x, y)) continue;
      const QColor p = image.pixelColor(x, y);
      if (std::max({std::abs(p.red() - colour.R), std::abs(p.green() - colour.G),
                    std::abs(p.blue() - colour.B)}) <= tolerance)
        return true;
    }
  return false;
}

inline constexpr int TextTolerance = 48;

// The image point at a row value (fractional between rows) and radius.
inline QPoint PointAt(const TTrackDiagram& diagram, double row, double radius) {
  const double angle = (diagram.EndAngle - diagram.Direction * row) * std::numbers::pi / 180.0;
  return QPoint(int(std::lround(diagram.ArcCentre.X + radius * std::cos(angle))),
                int(std::lround(diagram.ArcCentre.Y + radius * std::sin(angle))));
}

// The first horse whose marker shows and that `wanted` takes; 0 for none.
inline int FirstShownHorse(const TRaceWindow& window, const std::function<bool(int n)>& wanted = {}) {
  const TTrackDiagram& diagram = window.Race()->Diagram();
  for (int n = 1; n <= window.Race()->State().N; ++n)
    if (diagram.Markers[n - 1].Visible && (!wanted || wanted(n))) return n;
  return 0;
}

inline QPoint MarkerCentre(const TRaceWindow& window, int n) {
  return window.Image()->MarkerRect(n).center();
}

inline void Drag(QWidget* image, QPoint from, QPoint to) {
  QTest::mousePress(image, Qt::LeftButton, {}, from);
  QTest::mouseMove(image, from + QPoint(8, 0));
  QTest::mouseMove(image, to);
  QTest::mouseRelease(image, Qt::LeftButton, {}, to);
}

inline bool IsRightHandedTurfAtTheThirdCorner(const TRaceShape& race) {
  return !race.Straight() && !race.LeftHanded() && !race.Dirt() && race.ThirdCorner();
}

// Every cell, or one column's cells below the header.
inline QStringList SheetCells(const TRaceSheet& sheet, int onlyColumn = -1) {
  QStringList cells;
  for (int row = onlyColumn < 0 ? 0 : 1; row < TRaceSheet::RowCount; ++row)
    for (int column = 0; column < TRaceSheet::ColumnCount; ++column)
      if (onlyColumn < 0 || column == onlyColumn) cells.append(sheet.Cell(column, row));
  return cells;
}

// One wheel turn over a widget.
inline void TurnWheel(QWidget* widget) {
  QWheelEvent wheel(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &wheel);
}

// Hands the next modal widget to act once it shows.
inline void OnNextModal(QObject* context, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer(context);
  QObject::connect(timer, &QTimer::timeout, context, [timer, act] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      act(modal);
    }
  });
  timer->start(10);
}

// The demo week and the race every case opens, as the download left it.
class TRaceWindowFixture {
protected:
  QTemporaryDir FDir;
  std::unique_ptr<TDemoSession> FDemo;
  QByteArray FRaceLine;
  // The race as the download left it, before any test edits it.
  QByteArray FDownloadedLine;
  QStringList FDownloadedSheet;
  std::unique_ptr<QMdiArea> FArea;

  TSession& Session() { return FDemo->Session; }

  void SetUpWeek() {
    UseWindowFont();
    FDemo = std::make_unique<TDemoSession>(FDir.path());
    FRaceLine = FindRace(Session(), IsRightHandedTurfAtTheThirdCorner);
    QVERIFY(!FRaceLine.isEmpty());
    const TOpenRace downloaded(Session().Store(), FRaceLine, Session().Settings());
    FDownloadedLine = downloaded.State().PositionLine;
    FDownloadedSheet = SheetCells(downloaded.State().Sheet);
  }

  void CloseArea() {
    FArea.reset();
    // Each case opens on the race's own first corner.
    Session().DesktopState().clear();
  }

  // The race in a shown area of its own, closed after the test.
  TRaceWindow* Open() { return Open(Session(), FRaceLine); }
  TRaceWindow* Open(TSession& session, const QByteArray& raceLine) {
    FArea = std::make_unique<QMdiArea>();
    FArea->resize(1000, 700);
    FArea->show();
    return OpenRaceWindow(session, raceLine, FArea.get());
  }
};
