// Saves pictures of the results list on a demo week into the folder given as the
// first argument (the current directory without one).

#include "demo/DemoService.h"
#include "desktop/results/BiasView.h"
#include "desktop/results/ResultsGrid.h"
#include "desktop/results/ResultsWindow.h"
#include "link/FeedLink.h"
#include "records/RaceRecord.h"
#include "shell/Session.h"
#include "support/QuietObserver.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QHelpEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void Settle() {
  QEventLoop loop;
  QTimer::singleShot(150, &loop, &QEventLoop::quit);
  loop.exec();
}

void Click(TResultsWindow* form, const QString& name) {
  form->findChild<QToolButton*>(name)->click();
  Settle();
}

bool Save(TResultsWindow* form, const QString& folder, const QString& name) {
  Settle();
  const QString path = folder + u'/' + name;
  const bool saved = form->parentWidget()->grab().save(path);
  std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
  return saved;
}

// The pointer resting on the first finisher box that has a tip; the tooltip,
// a window of its own, drawn onto the window's picture where it shows.
bool SaveFinisherTip(TResultsWindow* form, const QString& folder, const QString& name) {
  TResultsGrid* grid = form->Grid();
  for (int row = 0; row < 12; ++row) {
    const QPoint at = TResultsGrid::CellRect(1, row).topLeft() + QPoint(181 + 15, 10);
    if (grid->TipAt(at).isEmpty()) continue;
    QHelpEvent help(QEvent::ToolTip, at, grid->mapToGlobal(at));
    QApplication::sendEvent(grid, &help);
    Settle();
    QWidget* frame = form->parentWidget();
    QPixmap picture = frame->grab();
    for (QWidget* tip : QApplication::topLevelWidgets()) {
      if (tip->objectName() != u"qtooltip_label"_s || !tip->isVisible()) continue;
      const QPixmap tipPicture = tip->grab();
      QPoint corner = tip->pos() - frame->mapToGlobal(QPoint(0, 0));
      // Kept whole inside the picture.
      corner.setX(std::clamp(corner.x(), 0, std::max(0, picture.width() - tipPicture.width())));
      corner.setY(std::clamp(corner.y(), 0, std::max(0, picture.height() - tipPicture.height())));
      QPainter painter(&picture);
      painter.drawPixmap(corner, tipPicture);
    }
    QToolTip::hideText();
    const QString path = folder + u'/' + name;
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
  }
  std::printf("FAILED %s: no finisher box with a tip\n", qPrintable(name));
  return false;
}

// Leaves one venue on the first day, for the one-venue layout.
void KeepOneVenueOnFirstDay(TDayStore& store) {
  const QByteArray first = store.RaceDates.first();
  TRaceRecord race;
  QByteArray meeting;
  for (qsizetype i = 0; i < store.Races.size();) {
    const QByteArray line = store.Races[i].RaceLine;
    if (race.RaceDate(line) == first) {
      if (meeting.isEmpty()) meeting = race.MeetingKey(line);
      if (race.MeetingKey(line) != meeting) {
        store.Races.removeAt(i);
        continue;
      }
    }
    ++i;
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QFont::insertSubstitution(u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s);
  QApplication::setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
  QDir().mkpath(folder);

  QTemporaryDir dir;
  TFixedClock clock(QDateTime(QDate(2024, 5, 12), QTime(9, 0)));
  TFeedLink link(dir.path(), clock);
  link.SetDemoWriter(DemoFeedWriter());
  TQuietObserver observer;
  TSession session(dir.path(), link, clock, observer);
  session.StartUp();
  session.RunDownload();
  TDayStore store = session.Store();
  KeepOneVenueOnFirstDay(store);
  session.ReplaceStore(std::move(store));

  QMdiArea area;
  area.resize(900, 400);
  area.show();
  area.activateWindow();
  TResultsWindow* form = OpenResultsWindow(session, &area);
  form->setFocus();

  bool ok = true;
  // Default settings: three frame colours.
  ok &= Save(form, folder, u"results-start-3colours.png"_s);
  Click(form, u"SpeedButton4"_s);
  ok &= Save(form, folder, u"results-start-8colours.png"_s);
  Click(form, u"SpeedButton5"_s);
  ok &= Save(form, folder, u"results-corner3.png"_s);
  ok &= SaveFinisherTip(form, folder, u"results-tooltip.png"_s);
  Click(form, u"SpeedButton6"_s);
  ok &= Save(form, folder, u"results-corner4.png"_s);
  Click(form, u"SpeedButton8"_s);
  ok &= Save(form, folder, u"results-jockey1.png"_s);
  Click(form, u"SpeedButton8"_s);
  ok &= Save(form, folder, u"results-jockey2.png"_s);
  Click(form, u"SpeedButton2"_s);
  Click(form, u"SpeedButton4"_s);
  ok &= Save(form, folder, u"results-turf-only.png"_s);
  Click(form, u"SpeedButton3"_s);
  Click(form, u"SpeedButton6"_s);
  ok &= Save(form, folder, u"results-dirt-only-corner4.png"_s);
  Click(form, u"SpeedButton1"_s);
  Click(form, u"BitBtn1"_s);
  Click(form, u"BitBtn1"_s);
  ok &= Save(form, folder, u"results-one-venue.png"_s);

  // The track bias of the latest day, beside the list.
  Click(form, u"BitBtn2"_s);
  Click(form, u"BitBtn2"_s);

  // The day's CSV: the save dialog as it opens, then cancelled.
  QTimer::singleShot(300, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) return;
    const QString path = folder + u"/results-csv-dialog.png"_s;
    const bool saved = dialog->grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    ok &= saved;
    dialog->close();
  });
  form->findChild<QToolButton*>(u"BitBtn4"_s)->click();
  Click(form, u"SpeedButton9"_s);
  // The day, then its meeting counted together.
  for (const TBiasPeriod period : {TBiasPeriod::Day, TBiasPeriod::Meeting}) {
    auto* choice = form->BiasView()->findChild<QComboBox*>(u"BiasPeriod"_s);
    choice->setCurrentIndex(int(period));
    emit choice->activated(choice->currentIndex());
    const QString path =
        folder + (period == TBiasPeriod::Day ? u"/results-bias.png"_s : u"/results-bias-meeting.png"_s);
    const bool saved = form->BiasView()->grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    ok &= saved;
  }
  return ok ? 0 : 1;
}
