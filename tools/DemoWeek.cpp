// Writes a demo week into a feed folder and prints one day's races the way a
// results page shows them.
//
//   DemoWeek FOLDER [LAST_DAY yyyymmdd] [DAYS] [SEED] [SHOW_DAY yyyymmdd]
//   DemoWeek --history FILE FIRST_YEAR LAST_YEAR [SEED]   race records only, one a line
#include "demo/DemoService.h"
#include "position/PassingOrderConverter.h"
#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RunnerRecord.h"
#include "records/Venues.h"
#include "text/Cp932.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QCoreApplication>
#include <QDate>
#include <QTextStream>

#include <algorithm>

namespace {

QTextStream& Out() {
  static QTextStream out(stdout);
  return out;
}

QString Time(int tenths) {
  if (tenths <= 0) return QStringLiteral("      ");
  return QStringLiteral("%1.%2.%3")
      .arg(tenths / 600)
      .arg(tenths % 600 / 10, 2, 10, QLatin1Char('0'))
      .arg(tenths % 10);
}

QString Weather(const QByteArray& code) {
  static const char16_t* const Names[] = {u"", u"晴", u"曇", u"雨", u"小雨", u"雪", u"小雪"};
  const int n = code.toInt();
  return n >= 1 && n <= 6 ? QString::fromUtf16(Names[n]) : QString();
}

// The corner's (row, lane) of horse n in the position line, "" when it has none.
QString Spot(const QByteArray& posLine, int horses, int distance, int n, int corner) {
  static constexpr int SectionFromGoal[] = {0, 6, 5, 3, 2};
  const int s = TPassingOrderConverter::SectionCount(distance);
  const int index = s - SectionFromGoal[corner];
  if (index < 0 || n > horses) return QString();
  const qsizetype at = 24 + qsizetype(n - 1) * (2 + 4 * s) + 2 + 4 * index;
  const QByteArray entry = posLine.mid(at, 4);
  if (entry == "0000" || entry.size() != 4) return QStringLiteral("  -  ");
  return QStringLiteral("%1-%2").arg(entry.left(2).toInt(), 2).arg(entry.mid(2).toInt());
}

void PrintRace(const QByteArray& ra, TByteLines horses, const TByteLines& payLines) {
  TRaceRecord race;
  TRunnerRecord uma;
  TPayRecord pay;
  const QByteArray key = race.RaceKey(ra);
  const int distance = ra.mid(697, 4).toInt();
  const int count = ra.mid(881, 2).toInt();
  QList<int> corners;
  for (int c = 1; c <= 4; ++c)
    if (!race.CornerOrder(ra, c).trimmed().isEmpty()) corners.append(c);

  QString name = race.RaceName(ra).trimmed();
  name.remove(u'\x3000');
  Out() << QStringLiteral("%1 %2回%3日目 %4R  %5 %6 %7  %8  天候:%9 馬場:%10  %11頭\n")
               .arg(VenueName(key.mid(8, 2)))
               .arg(key.mid(10, 2).toInt())
               .arg(key.mid(12, 2).toInt())
               .arg(key.mid(14, 2).toInt(), 2)
               .arg(race.RaceLabel(ra), race.ClassLabel(ra).trimmed(), name, race.TrackDistance(ra),
                    Weather(race.WeatherCode(ra)), race.GoingLabel(ra))
               .arg(count);
  const QByteArray posLine = TPassingOrderConverter::ConvertRace(ra + "\r\n");
  uma.SortByArrival(horses);
  QString header = QStringLiteral("  着 枠 馬番 馬名               騎手       タイム ");
  for (const int c : corners) header += QStringLiteral(" %1角 ").arg(c);
  Out() << header << '\n';
  for (const QByteArray& se : horses) {
    const QString arrival =
        uma.ArrivalOrder(se) == "00" ? uma.AbnormalMark(se) : QString::fromLatin1(uma.ArrivalOrder(se));
    QString horseName = uma.HorseName(se);
    const QString padded = horseName.replace(u'\x3000', u' ').trimmed();
    QString line = QStringLiteral("  %1  %2  %3  %4 %5 %6 ")
                       .arg(arrival, 2)
                       .arg(QString::fromLatin1(uma.FrameNumber(se)))
                       .arg(QString::fromLatin1(uma.HorseNumber(se)))
                       .arg(padded + QString(qMax(0, 9 - int(padded.size())), QChar(0x3000)))
                       .arg(DecodeCp932(uma.JockeyName(se)))
                       .arg(Time(uma.RunTime(se)), 6);
    for (const int c : corners)
      line += QStringLiteral(" %1").arg(Spot(posLine, count, distance, uma.HorseNumber(se).toInt(), c));
    Out() << line << '\n';
  }
  for (const int c : corners) {
    QByteArray order = race.CornerOrder(ra, c);
    const qsizetype cut = order.indexOf("   ");
    if (cut >= 0) order.truncate(cut);
    Out() << QStringLiteral("  %1コーナー  %2\n").arg(c).arg(QString::fromLatin1(order));
  }
  const QByteArray payLine = pay.FindPayLine(payLines, key);
  for (const TBetType betType : AllBetTypes) {
    const QString text = pay.PayoutText(payLine, betType);
    if (!text.isEmpty()) Out() << QStringLiteral("  ") << text << '\n';
  }
  Out() << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2) {
    Out() << "usage: DemoWeek FOLDER [LAST_DAY yyyymmdd] [DAYS] [SEED] [SHOW_DAY yyyymmdd]\n";
    return 2;
  }
  if (args[1] == QLatin1String("--history") && args.size() >= 5) {
    const TDemoService demo(args.size() > 5 ? args[5].toInt() : 1);
    try {
      const TByteLines lines = demo.RaceHistory(QDate(args[3].toInt(), 1, 1), QDate(args[4].toInt(), 12, 31));
      WriteLines(args[2], lines);
      Out() << QStringLiteral("%1 race records written to %2\n").arg(lines.size()).arg(args[2]);
    } catch (const TRavekError& error) {
      Out() << error.Message() << '\n';
      return 1;
    }
    return 0;
  }
  const QString folder = args[1];
  const QDate last =
      args.size() > 2 ? QDate::fromString(args[2], QStringLiteral("yyyyMMdd")) : QDate::currentDate();
  const int days = args.size() > 3 ? args[3].toInt() : 8;
  const int seed = args.size() > 4 ? args[4].toInt() : 1;
  if (!last.isValid() || days <= 0) {
    Out() << "bad day or count\n";
    return 2;
  }
  try {
    const TDemoService demo(seed);
    const QList<QDate> written = demo.WriteFeed(folder, last, days);
    Out() << QStringLiteral("%1 racing days written to %2/0B12\n").arg(written.size()).arg(folder);
    if (written.isEmpty()) return 0;
    const QDate show =
        args.size() > 5 ? QDate::fromString(args[5], QStringLiteral("yyyyMMdd")) : written.last();
    const TByteLines lines = ReadLines(folder + QStringLiteral("/0B12/") +
                                       show.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".txt"));
    TByteLines races, horses, pays;
    for (const QByteArray& line : lines) {
      const QByteArray head = line.left(3);
      if (head == "RA6" || head == "RA7") races.append(line);
      if (head == "SE6" || head == "SE7") horses.append(line);
      if (head == "HR1") pays.append(line);
    }
    Out() << show.toString(QStringLiteral("yyyy/MM/dd"))
          << QStringLiteral("  %1 races\n\n").arg(races.size());
    TRaceRecord race;
    TRunnerRecord uma;
    for (const QByteArray& ra : races) {
      const QByteArray key = race.RaceKey(ra);
      TByteLines own;
      for (const QByteArray& se : horses)
        if (uma.RaceKey(se) == key) own.append(se);
      PrintRace(ra, own, pays);
    }
  } catch (const TRavekError& error) {
    Out() << error.Message() << '\n';
    return 1;
  }
  return 0;
}
