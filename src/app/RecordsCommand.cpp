#include "RecordsCommand.h"

#include "records/PayRecord.h"
#include "records/RaceRecord.h"
#include "records/RecordLayout.h"
#include "records/RunnerRecord.h"
#include "records/Venues.h"
#include "text/Cp932.h"
#include "text/Errors.h"
#include "text/IntConvert.h"
#include "text/LineFile.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

class TRecordPrinter {
public:
  explicit TRecordPrinter(std::FILE* out) : FOut(out) {}

  // False when the line is none of the three records. A record is composed
  // whole before it is written, so a field that does not convert leaves no
  // half-printed record behind.
  bool Print(const QByteArray& line, int lineNumber) {
    FText.clear();
    if (FRace.LoadRecord(line)) {
      PrintRace(line, lineNumber);
    } else if (FRunner.LoadRecord(line)) {
      PrintHorse(line, lineNumber);
    } else if (FPay.LoadPayRecord(line)) {
      PrintPay(line, lineNumber);
    } else {
      return false;
    }
    std::fputs(FText.toUtf8().constData(), FOut);
    std::fflush(FOut);
    return true;
  }

private:
  void Write(const QString& text) { FText += text; }

  // Labels padded to five full-width columns keep the values in one column.
  void Field(const QString& label, const QString& value) {
    Write(u"    "_s + label + QString(5 - label.size(), u'\u3000') + u" "_s +
          (value.isEmpty() ? u"-"_s : value) + u"\n"_s);
  }

  static QString KeyText(QByteArrayView key) {
    const auto part = [&](int from, int width) {
      return QString::number(StrToIntOrZero(key.sliced(from, width)));
    };
    QString venue = VenueName(key.sliced(8, 2));
    if (venue.isEmpty()) venue = u"場"_s + DecodeCp932(key.sliced(8, 2));
    return u"%1  %2年%3月%4日 %5 %6回%7日目 %8R"_s.arg(DecodeCp932(key), DecodeCp932(key.sliced(0, 4)),
                                                       part(4, 2), part(6, 2), venue, part(10, 2),
                                                       part(12, 2), part(14, 2));
  }

  void Heading(int lineNumber, const QByteArray& line, const QString& kind, QByteArrayView key) {
    Write(u"%1行目 %2 %3  %4\n"_s.arg(lineNumber).arg(DecodeCp932(line.left(3)), kind, KeyText(key)));
  }

  void PrintRace(const QByteArray& line, int lineNumber) {
    Heading(lineNumber, line, u"レース"_s, FRace.RaceKey(line));
    Field(u"レース名"_s, FRace.RaceName(line).trimmed());
    Field(u"条件"_s, (FRace.RaceLabel(line) + u" "_s + FRace.ClassLabel(line)).trimmed());
    Field(u"コース"_s, FRace.TrackDistance(line) + u"m"_s);
    Field(u"馬場"_s, FRace.GoingLabel(line));
    Field(u"天候コード"_s, DecodeCp932(FRace.WeatherCode(line)));
    Field(u"頭数"_s, DecodeCp932(line.mid(RaField::HorseCount, 2)));
    const QString cornerNames[] = {u"１コーナー"_s, u"２コーナー"_s, u"３コーナー"_s, u"４コーナー"_s};
    for (int corner = 1; corner <= 4; ++corner) {
      const QString order = DecodeCp932(FRace.CornerOrder(line, corner)).trimmed();
      if (!order.isEmpty()) Field(cornerNames[corner - 1], order);
    }
  }

  void PrintHorse(const QByteArray& line, int lineNumber) {
    Heading(lineNumber, line, u"出走馬"_s, FRunner.RaceKey(line));
    const int time = FRunner.RunTime(line);
    const QString timeText =
        time == 0 ? u"-"_s
                  : u"%1.%2.%3"_s.arg(time / 600).arg((time % 600) / 10, 2, 10, QChar(u'0')).arg(time % 10);
    Field(u"枠番・馬番"_s, DecodeCp932(FRunner.FrameNumber(line)) + u"枠 "_s +
                               DecodeCp932(FRunner.HorseNumber(line)) + u"番"_s);
    Field(u"馬名"_s, FRunner.HorseName(line).trimmed());
    Field(u"騎手"_s, DecodeCp932(FRunner.JockeyName(line)).trimmed());
    Field(u"着順"_s, u"入線 %1 / 確定 %2 %3"_s
                         .arg(DecodeCp932(FRunner.ArrivalOrder(line)), DecodeCp932(FRunner.FinalPlace(line)),
                              FRunner.AbnormalMark(line))
                         .trimmed());
    Field(u"走破タイム"_s, timeText);
  }

  void PrintPay(const QByteArray& line, int lineNumber) {
    Heading(lineNumber, line, u"払戻"_s, FPay.PayRaceKey(line));
    for (const TBetType betType : AllBetTypes) {
      const QString text = FPay.PayoutText(line, betType);
      if (!text.isEmpty()) Write(u"    "_s + text + u"\n"_s);
    }
    Field(u"複勝マップ"_s, DecodeCp932(FPay.PlacePayouts(line)));
  }

  std::FILE* FOut;
  QString FText;
  TRaceRecord FRace;
  TRunnerRecord FRunner;
  TPayRecord FPay;
};

QString Describe(const QByteArray& line) {
  if (line.isEmpty()) return u"空行"_s;
  return u"先頭 \"%1\"、%2 バイト"_s.arg(DecodeCp932(line.left(3))).arg(line.size());
}

}  // namespace

int RunRecordsCommand(const QStringList& files, std::FILE* out, std::FILE* err) {
  TRecordPrinter printer(out);
  int printed = 0;
  int skipped = 0;
  for (const QString& file : files) {
    const QString name = QDir::toNativeSeparators(file);
    int lineNumber = 0;
    try {
      const TByteLines lines = ReadLines(file);
      std::fprintf(out, "%s\n", (u"== "_s + name).toUtf8().constData());
      for (const QByteArray& line : lines) {
        ++lineNumber;
        if (printer.Print(line, lineNumber)) {
          ++printed;
        } else {
          ++skipped;
          std::fprintf(err, "%s\n",
                       u"%1:%2: RA・SE・HR のどのレコードでもないため読み飛ばしました（%3）"_s.arg(name)
                           .arg(lineNumber)
                           .arg(Describe(line))
                           .toUtf8()
                           .constData());
        }
      }
    } catch (const TRavekError& error) {
      std::fflush(out);
      const QString where = lineNumber > 0 ? u"%1:%2: "_s.arg(name).arg(lineNumber) : QString();
      std::fprintf(err, "%s\n", (where + error.Message()).toUtf8().constData());
      return 2;
    }
  }
  std::fprintf(
      out, "%s\n",
      u"%1 件のレコードを表示、%2 行を読み飛ばしました"_s.arg(printed).arg(skipped).toUtf8().constData());
  return 0;
}
