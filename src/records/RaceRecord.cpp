#include "records/RaceRecord.h"

#include "records/RecordBuffer.h"
#include "records/RecordLayout.h"
#include "text/Cp932.h"
#include "text/IntConvert.h"

using namespace Qt::StringLiterals;

bool TRaceRecord::LoadRecord(const QByteArray& line) {
  return LoadRecordBuffer(FBuffer, line, "RA");
}

QByteArrayView TRaceRecord::Field(int offset, int width) const {
  return BufferField(FBuffer, offset, width);
}

QByteArray TRaceRecord::RaceDate(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  return Field(KeyField::RaceKey, KeyField::DateWidth).toByteArray();
}

QByteArray TRaceRecord::MeetingKey(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  return Field(KeyField::RaceKey, KeyField::MeetingKeyWidth).toByteArray();
}

QByteArray TRaceRecord::RaceKey(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  return Field(KeyField::RaceKey, KeyField::RaceKeyWidth).toByteArray();
}

QString TRaceRecord::TrackDistance(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  const int track = StrToInt(Field(RaField::TrackCode, 2));
  const QString type = track < 23 ? u"芝"_s : track <= 50 ? u"ダ"_s : u"障"_s;
  return type + DecodeCp932(Field(RaField::Distance, 4));
}

QString TRaceRecord::RaceLabel(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  QString shortName = DecodeCp932(Field(RaField::ShortName, RaField::ShortNameWidth));
  shortName.remove(u' ').remove(u'\u3000');
  if (!shortName.isEmpty()) return shortName;
  switch (StrToInt(Field(RaField::RaceType, 2))) {
    case 11:
    case 21:
      return u"２歳"_s;
    case 12:
    case 22:
      return u"３歳"_s;
    case 13:
    case 18:
    case 23:
      return u"３歳上"_s;
    case 14:
    case 19:
    case 24:
      return u"４歳上"_s;
    default:
      return {};
  }
}

QString TRaceRecord::ClassLabel(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  switch (FBuffer[RaField::Grade]) {
    case 'A':
      return u"（ＧⅠ）"_s;
    case 'B':
      return u"（ＧⅡ）"_s;
    case 'C':
      return u"（ＧⅢ）"_s;
    case 'F':
      return u"(ＪＧⅠ)"_s;
    case 'G':
      return u"(ＪＧⅡ)"_s;
    case 'H':
      return u"(ＪＧⅢ)"_s;
    default:
      break;
  }
  const int condition = StrToInt(Field(RaField::Condition, 3));
  switch (condition) {
    case 0:
      return {};
    case 701:
      return u"新馬"_s;
    case 702:
      return u"未出走"_s;
    case 703:
      return u"未勝利"_s;
    case 999:
      return u"オープン"_s;
    default:
      break;
  }
  // From June 2019 the lower classes are named by the wins they allow; the codes stayed.
  if (Field(KeyField::RaceKey, KeyField::DateWidth) >= QByteArrayView(WinClassesSince)) {
    switch (condition) {
      case 5:
        return u"1勝クラス"_s;
      case 10:
        return u"2勝クラス"_s;
      case 16:
        return u"3勝クラス"_s;
      default:
        break;
    }
  }
  return (condition < 10 ? u" "_s : QString()) + QString::number(condition) + u"00万下"_s;
}

QString TRaceRecord::RaceName(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  return DecodeCp932(Field(RaField::RaceName, RaField::RaceNameWidth));
}

QByteArray TRaceRecord::WeatherCode(const QByteArray& line) {
  if (!LoadRecord(line)) return QByteArrayLiteral("0");
  return Field(RaField::Weather, 1).toByteArray();
}

QString TRaceRecord::GoingLabel(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  const int track = StrToInt(Field(RaField::TrackCode, 2));
  const int turf = StrToInt(Field(RaField::TurfGoing, 1));
  const int dirt = StrToInt(Field(RaField::DirtGoing, 1));
  // Dirt going only for 23..49: a track code of 50 reads the turf going.
  switch (track >= 23 && track <= 49 ? dirt : turf) {
    case 1:
      return u"良"_s;
    case 2:
      return u"稍"_s;
    case 3:
      return u"重"_s;
    case 4:
      return u"不"_s;
    default:
      return {};
  }
}

QByteArray TRaceRecord::CornerOrder(const QByteArray& line, int corner) {
  if (!LoadRecord(line)) return {};
  QByteArray order;
  for (int block = 0; block < RaField::CornerBlocks; ++block) {
    const int shift = block * RaField::CornerBlockStride;
    if (DigitOrZero(FBuffer[RaField::CornerNumber + shift]) == corner) {
      order = Field(RaField::CornerOrder + shift, RaField::CornerOrderWidth).toByteArray();
    }
  }
  return order;
}

QByteArray TRaceRecord::DateList(const TByteLines& lines) {
  TByteLines dates;
  for (const QByteArray& line : lines) {
    const QByteArray date = RaceDate(line);
    if (!dates.contains(date)) dates.append(date);
  }
  return JoinLines(dates);
}
