#include "race/RaceSheet.h"

#include "position/PositionLine.h"
#include "race/RaceMath.h"
#include "records/PayRecord.h"
#include "records/Venues.h"
#include "text/Cp932.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

#include <algorithm>
#include <cmath>

QString RaceTitle(QByteArrayView raceKey) {
  const auto number = [&](qsizetype offset) { return QString::number(StrToInt(Cut(raceKey, offset, 2))); };
  return VenueName(Cut(raceKey, 8, 2)) + number(14) + QStringLiteral("Ｒ (") + number(4) + QLatin1Char('/') +
         number(6) + QLatin1Char(')');
}

bool IsStraightCourse(QByteArrayView positionLine) {
  return TPositionLine(positionLine).IsStraight();
}

int SectionPresence(QByteArrayView positionLine) {
  const TPositionLine line(positionLine);
  const int distance = line.Distance();
  const int horses = line.HorseCount();
  const auto hasEntries = [&](int g) {
    int sum = 0;
    for (int n = 1; n <= horses; ++n) {
      const QByteArrayView entry = line.Entry(n, g);
      if (!entry.isEmpty()) sum += StrToInt(entry);
    }
    return sum > 0;
  };
  int word = 0;
  if (distance > 1400) {
    if (hasEntries(6)) word += 16;
    if (hasEntries(5)) word += 8;
  }
  if (hasEntries(3)) word += 2;
  if (hasEntries(2)) word += 1;
  return word;
}

QByteArray SectionPresenceHex(QByteArrayView positionLine) {
  return QByteArray::number(SectionPresence(positionLine), 16).toUpper().rightJustified(3, '0');
}

void AddSectionTabs(QStringList& tabs, const QStringList& labels, QByteArrayView hex) {
  const QByteArray bits = HexToBits(hex);
  for (qsizetype i = 0; i < bits.size() && i < 12; ++i)
    if (bits[i] == '1' && i < labels.size()) tabs.append(labels[i]);
}

QString InfoPanelText(QByteArrayView cornerOrder) {
  const qsizetype cut = cornerOrder.indexOf(QByteArrayView("   "));
  return QStringLiteral("   ") + DecodeCp932(cut < 0 ? cornerOrder : cornerOrder.first(cut));
}

QString BuildPayoutLine(TPayRecord& pay, const TByteLines& payLines, const QByteArray& raceKey) {
  const QByteArray line = pay.FindPayLine(payLines, raceKey);
  QString result;
  if (line.isEmpty()) return result;
  for (TBetType betType : {TBetType::Win, TBetType::Place, TBetType::BracketQuinella, TBetType::Quinella,
                           TBetType::QuinellaPlace, TBetType::Exacta, TBetType::Trio, TBetType::Trifecta}) {
    const QString text = pay.PayoutText(line, betType);
    if (!text.isEmpty()) result += u'　' + text;
  }
  for (QChar& c : result)
    if (c >= u'0' && c <= u'9') c = QChar(c.unicode() - u'0' + u'０');
  return result;
}

QString SteeplechaseText() {
  return QStringLiteral(
      "\n 申し訳ありません \n 当プログラムは障害戦に対応していません \n ほかのレースを選びなおしてください "
      "\n");
}

QString StraightCourseNotice() {
  const QString crlf = QStringLiteral("\r\n");
  QString text = crlf.repeated(7);
  const char16_t* lines[] = {u"直線コースの競走では、", u"展開データが提供されていないため",
                             u"展開の図式化処理はおこなえません", u"なお、それに伴い「実走タイム」換算と",
                             u"「補正タイム出力」も無効となっております"};
  for (const char16_t* line : lines) {
    if (line != lines[0]) text += crlf;
    text += QString::fromUtf16(line) + crlf;
  }
  return text + u' ';
}

QByteArray AddedTimeLine(QByteArrayView positionLine, const TByteLines& runners, int lossPerLane) {
  const int distance = LineDistance(positionLine);
  std::array<QByteArray, 18> fields;
  TRunnerRecord uma;
  for (const QByteArray& runner : runners) {
    const int horse = StrToInt(uma.HorseNumber(runner));
    const int time = uma.RunTime(runner);
    // Numbers outside 1..18 have no field in the line.
    if (horse < 1 || horse > 18) continue;
    const double speed = RaceSpeed(CorrectedDistance(positionLine, horse, lossPerLane), time);
    const qint64 value = qint64(ConvertedTime(distance, speed)) - time;
    // Five characters a field: anything wider would shift the fields after it.
    if (value < -9999 || value > 99999)
      throw TConvertError(QStringLiteral("競走 %1 の %2 番の付加タイム %3 が出力欄（5桁）に収まりません。")
                              .arg(QString::fromLatin1(positionLine.toByteArray().left(16)))
                              .arg(horse)
                              .arg(value));
    fields[horse - 1] = QByteArray::number(value);
  }
  QByteArray line;
  line.reserve(90);
  for (const QByteArray& field : fields) {
    const QByteArray padded = field.rightJustified(5, ' ');
    line += padded == "    0" ? QByteArray(5, ' ') : padded;
  }
  return line;
}

TRaceSheet::TRaceSheet() {
  const char16_t* headers[ColumnCount] = {u"順", u"番", u"馬　　名", u"走破", u"実走", u"m/min"};
  for (int column = 0; column < ColumnCount; ++column)
    FCells[0][column] = QString::fromUtf16(headers[column]);
}

void TRaceSheet::FillSheet(const TByteLines& runners, QByteArrayView positionLine, int lossPerLane) {
  const int distance = LineDistance(positionLine);
  ConvRanking.clear();
  HighlightHorse = "00";
  // The sheet has room for 18 horses; the data service never sends more.
  const qsizetype rows = std::min<qsizetype>(runners.size() + 1, RowCount);
  for (qsizetype k = 1; k < rows; ++k) {
    const QByteArray& line = runners[k - 1];
    const int time = FUma.RunTime(line);
    const QByteArray number = FUma.HorseNumber(line);
    const double speed =
        time > 0 ? RaceSpeed(CorrectedDistance(positionLine, StrToInt(number), lossPerLane), time) : 0.0;
    const int converted = ConvertedTime(distance, speed);
    auto& row = FCells[k];
    const QString mark = FUma.AbnormalMark(line);
    row[PlaceColumn] = mark.isEmpty() ? QString::number(StrToInt(FUma.FinalPlace(line))) : mark;
    row[NumberColumn] = QString::fromLatin1(number);
    row[NameColumn] = FUma.HorseName(line);
    row[RunTimeColumn] = QString::number(time);
    row[ConvertedColumn] = QString::number(converted);
    row[SpeedColumn] = QString::number(static_cast<qint64>(std::ceil(speed)));
    if (converted > 0) {
      const QString entry = QString::number(converted).rightJustified(11, u' ');
      const auto at = std::lower_bound(ConvRanking.begin(), ConvRanking.end(), entry);
      if (at == ConvRanking.end() || *at != entry) ConvRanking.insert(at, entry);
    }
  }
}
