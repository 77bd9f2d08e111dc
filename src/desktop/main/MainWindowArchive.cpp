#include "desktop/archive/SearchWindow.h"
#include "desktop/archive/WideTripsWindow.h"
#include "desktop/main/MainWindow.h"
#include "desktop/widgets/UiSupport.h"
#include "records/DateKey.h"
#include "text/Errors.h"

#include <QAction>
#include <QLineEdit>

// The archive's windows: the search by name and the wide trips, each opening
// the races it lists.

using namespace Qt::StringLiterals;

void TMainWindow::SearchClick() {
  if (!FSearchAction->isEnabled()) return;
  if (!FSearchWindow) {
    FSearchWindow = new TSearchWindow(FSession, this);
    connect(FSearchWindow, &TSearchWindow::RaceRequested, this, &TMainWindow::OpenArchivedRace);
    KeepGeometry(FSearchWindow, FSession.DesktopState(), u"windows/search"_s);
  }
  FSearchWindow->show();
  FSearchWindow->raise();
  FSearchWindow->activateWindow();
  FSearchWindow->NameEdit()->setFocus();
}

void TMainWindow::WideTripsClick() {
  if (!FWideTripsAction->isEnabled()) return;
  if (!FWideTripsWindow) {
    FWideTripsWindow = new TWideTripsWindow(FSession, this);
    connect(FWideTripsWindow, &TWideTripsWindow::RaceRequested, this, &TMainWindow::OpenArchivedRace);
    const TByteLines& dates = FSession.Store().RaceDates;
    const QDate last = dates.isEmpty() ? QDate::currentDate() : DateOfKey(dates.last());
    FWideTripsWindow->SetRange(last.addMonths(-1).addDays(1), last);
    KeepGeometry(FWideTripsWindow, FSession.DesktopState(), u"windows/wide"_s);
  }
  FWideTripsWindow->show();
  FWideTripsWindow->raise();
  FWideTripsWindow->activateWindow();
}

void TMainWindow::OpenArchivedRace(const QByteArray& raceKey) {
  try {
    const QByteArray raceLine = FSession.RaceLineOf(raceKey);
    if (raceLine.isEmpty()) {
      ShowMessage(this, QMessageBox::Information,
                  u"レース %1 はデータにありません。"_s.arg(QString::fromLatin1(raceKey)));
      return;
    }
    OpenRace(raceLine);
  } catch (const TRavekError& error) {
    ShowMessage(this, QMessageBox::Warning, error.Message());
  }
}
