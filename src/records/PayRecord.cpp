#include "records/PayRecord.h"

#include "records/RecordBuffer.h"
#include "text/IntConvert.h"

using namespace Qt::StringLiterals;

namespace {

struct TBetText {
  const char16_t* Title;
  const char16_t* Joiner;  // between the numbers of a combination
  bool HorseSuffix;        // win and place write "番" after the horse number
};

TBetText BetText(TBetType betType) {
  switch (betType) {
    case TBetType::Win:
      return {u"単勝", u"", true};
    case TBetType::Place:
      return {u"複勝", u"", true};
    case TBetType::BracketQuinella:
      return {u"枠連", u"－", false};
    case TBetType::Quinella:
      return {u"馬連", u"－", false};
    case TBetType::QuinellaPlace:
      return {u"ワイド", u"－", false};
    case TBetType::Exacta:
      return {u"馬単", u"→", false};
    case TBetType::Trio:
      return {u"三連複", u"－", false};
    case TBetType::Trifecta:
      return {u"三連単", u"→", false};
  }
  return {u"", u"", false};
}

}  // namespace

bool TPayRecord::LoadPayRecord(const QByteArray& line) {
  return LoadRecordBuffer(FBuffer, line, "HR");
}

QByteArrayView TPayRecord::Field(int offset, int width) const {
  return BufferField(FBuffer, offset, width);
}

QByteArray TPayRecord::PayRaceKey(const QByteArray& line) {
  if (!LoadPayRecord(line)) return {};
  return Field(KeyField::RaceKey, KeyField::RaceKeyWidth).toByteArray();
}

QByteArray TPayRecord::FindPayLine(const TByteLines& lines, const QByteArray& raceKey) {
  QByteArray found;
  for (const QByteArray& line : lines) {
    if (PayRaceKey(line) == raceKey) found = line;
  }
  return found;
}

QString TPayRecord::PayoutText(const QByteArray& line, TBetType betType) {
  if (!LoadPayRecord(line)) return {};
  const TPayBlock block = PayBlock(betType);
  const TBetText text = BetText(betType);
  QString result;
  // A blank first entry counts as zeros, like every blank number field, so it
  // gives no title without an entry after it.
  if (StrToIntOrZero(Field(block.EntryOffset(0), block.NumberWidth)) != 0)
    result = QString::fromUtf16(text.Title);
  for (int index = 0; index < block.Count; ++index) {
    const int offset = block.EntryOffset(index);
    QString combination;
    if (betType == TBetType::BracketQuinella) {
      const int frames = StrToIntOrZero(Field(offset, 2));
      if (frames <= 0) continue;
      combination = QString::number(frames);
      combination.insert(1, text.Joiner);
    } else {
      bool skip = false;
      for (int part = 0; part < block.NumberWidth / 2; ++part) {
        const int horse = StrToIntOrZero(Field(offset + 2 * part, 2));
        if (horse <= 0) skip = true;
        if (part > 0) combination += QString::fromUtf16(text.Joiner);
        combination += QString::number(horse);
      }
      if (skip) continue;
      if (text.HorseSuffix) combination += u"番"_s;
    }
    const int payout = StrToIntOrZero(Field(offset + block.NumberWidth, HrField::PayoutWidth));
    const int rank =
        StrToIntOrZero(Field(offset + block.NumberWidth + HrField::PayoutWidth, block.RankWidth));
    result += combination + u"￥"_s + QString::number(payout) + u"（"_s + QString::number(rank) + u"人気）"_s;
  }
  return result;
}

QByteArray TPayRecord::PlacePayouts(const QByteArray& line) {
  if (!LoadPayRecord(line)) return {};
  const TPayBlock block = PayBlock(TBetType::Place);
  QByteArrayList items;
  for (int index = 0; index < block.Count; ++index) {
    const int offset = block.EntryOffset(index);
    const int horse = StrToIntOrZero(Field(offset, 2));
    if (horse > 0)
      items.append(QByteArray::number(horse) + '=' + Field(offset + 2, HrField::PayoutWidth).toByteArray());
  }
  return items.join(',');
}
