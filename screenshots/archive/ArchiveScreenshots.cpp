// Saves pictures of the archive's windows (search, a horse's history, wide
// trips, the calendar of racing days) on half a year of demo racing imported into an
// archive, into the folder given as the first argument.

#include "archive/ArchivedStore.h"
#include "demo/DemoService.h"
#include "desktop/archive/RunTable.h"
#include "desktop/archive/SearchWindow.h"
#include "desktop/archive/WideTripsWindow.h"
#include "desktop/results/BiasView.h"
#include "desktop/results/DayCalendar.h"
#include "desktop/results/ResultsWindow.h"
#include "link/FeedImport.h"
#include "link/FeedLink.h"
#include "shell/Session.h"
#include "support/QuietObserver.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void Settle() {
  QEventLoop loop;
  QTimer::singleShot(150, &loop, &QEventLoop::quit);
  loop.exec();
}

bool Save(QWidget* window, const QString& folder, const QString& name) {
  Settle();
  const QString path = folder + u'/' + name;
  const bool saved = window->grab().save(path);
  std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QFont::insertSubstitution(u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s);
  QApplication::setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
  QDir().mkpath(folder);

  QTemporaryDir dir;
  const QString feed = dir.filePath(u"DemoFeed"_s);
  const QString dataDir = dir.filePath(u"Data"_s);
  QDir().mkpath(dataDir);
  TDemoService(1).WriteFeed(feed, QDate(2024, 5, 12), 182);
  {
    TArchive archive(ArchivePath(dataDir), TArchive::TAccess::Write);
    ImportFeed(feed, {}, {}, archive, dataDir);
  }
  TFixedClock clock(QDateTime(QDate(2024, 5, 13), QTime(10, 0)));
  TFeedLink link(dir.path(), clock);
  link.SetDemoWriter(DemoFeedWriter());
  TQuietObserver observer;
  TSession session(dir.path(), link, clock, observer);
  session.StartUp();
  session.RunDownload();

  bool ok = true;
  TSearchWindow search(session);
  search.show();
  // A horse found by its name typed in hiragana.
  const QString name = session.FindNames(u"カ"_s, false, 1).value(0).Name;
  QString typed = name.left(1);
  for (QChar& c : typed)
    if (c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6) c = QChar(char16_t(c.unicode() - 0x60));
  search.NameEdit()->setText(typed);
  ok &= Save(&search, folder, u"archive-search.png"_s);
  // The history of the horse that ran most among the matches, latest first.
  const auto runs = [&search](int row) {
    return search.Matches()->item(row)->text().section(u'（', 1).section(u'戦', 0, 0).toInt();
  };
  int most = 0;
  for (int i = 1; i < search.Matches()->count(); ++i)
    if (runs(i) > runs(most)) most = i;
  search.Matches()->setCurrentRow(most);
  ok &= Save(&search, folder, u"archive-horse-history.png"_s);
  search.close();

  TWideTripsWindow wide(session);
  wide.SetRange(QDate(2024, 4, 13), QDate(2024, 5, 12));
  wide.show();
  wide.Find();
  wide.Trips()->sortByColumn(TRunTable::GroundLost, Qt::DescendingOrder);
  ok &= Save(&wide, folder, u"archive-wide-trips.png"_s);
  wide.close();

  // The track bias over the half year, counted from the archive.
  QMdiArea area;
  area.resize(900, 400);
  area.show();
  TResultsWindow* form = OpenResultsWindow(session, &area);
  form->findChild<QToolButton*>(u"SpeedButton9"_s)->click();
  form->BiasView()->findChild<QDateEdit*>(u"BiasFrom"_s)->setDate(QDate(2023, 11, 18));
  ok &= Save(form->BiasView(), folder, u"archive-bias-half-year.png"_s);
  form->BiasView()->close();

  TDayCalendar calendar(session.Store().RaceDates, "20240428");
  calendar.show();
  ok &= Save(&calendar, folder, u"archive-calendar.png"_s);
  return ok ? 0 : 1;
}
