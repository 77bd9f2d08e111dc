#include "records/RecordCheck.h"

#include "records/RecordLayout.h"
#include "text/Cp932.h"

#include <algorithm>
#include <cstddef>

namespace {

bool AsciiDigits(QByteArrayView text) {
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

struct TNumberField {
  int Offset;
  int Width;
  const char16_t* Name;
};

// The fields read as integers once filed: by the position converter, the
// race and horse readers and the results list.
constexpr TNumberField RaceNumberFields[] = {
    {RaField::Distance, 4, u"距離"},
    {RaField::TrackCode, 2, u"トラックコード"},
    {RaField::HorseCount, 2, u"頭数"},
    {RaField::RaceType, 2, u"競走種別"},
    {RaField::Condition, 3, u"競走条件"},
    {RaField::TurfGoing, 1, u"芝馬場状態"},
    {RaField::DirtGoing, 1, u"ダート馬場状態"},
    {RaField::CornerNumber, 1, u"コーナー番号"},
    {RaField::CornerNumber + RaField::CornerBlockStride, 1, u"コーナー番号"},
    {RaField::CornerNumber + 2 * RaField::CornerBlockStride, 1, u"コーナー番号"},
    {RaField::CornerNumber + 3 * RaField::CornerBlockStride, 1, u"コーナー番号"},
};
constexpr TNumberField HorseNumberFields[] = {
    {SeField::Frame, 1, u"枠番"},           {SeField::HorseNumber, 2, u"馬番"},
    {SeField::Abnormality, 1, u"異常区分"}, {SeField::FinalPlace, 2, u"確定着順"},
    {SeField::Time, 4, u"走破タイム"},
};

template <std::size_t N>
QString FirstNonDigitField(QByteArrayView line, const char* type, const TNumberField (&fields)[N]) {
  for (const TNumberField& field : fields) {
    const QByteArrayView bytes = line.sliced(field.Offset, field.Width);
    if (AsciiDigits(bytes)) continue;
    return QStringLiteral("%1 の記録の%2が数字ではありません: '%3'")
        .arg(QString::fromLatin1(type), QString::fromUtf16(field.Name), DecodeCp932(bytes));
  }
  return {};
}

}  // namespace

QByteArrayView ShownRaceKey(QByteArrayView line) {
  if (line.size() < KeyField::RaceKey + KeyField::RaceKeyWidth) return {};
  const QByteArrayView key = line.sliced(KeyField::RaceKey, KeyField::RaceKeyWidth);
  return AsciiDigits(key) ? key : QByteArrayView();
}

QString RecordLineFault(QByteArrayView line) {
  const QByteArrayView head = line.first(std::min<qsizetype>(3, line.size()));
  qsizetype length = 0;
  if (head == "RA6" || head == "RA7") {
    length = RaField::LineLength;
  } else if (head == "SE6" || head == "SE7") {
    length = SeField::LineLength;
  } else if (head == "HR1") {
    length = HrField::LineLength;
  } else {
    return QStringLiteral("種別が %1 の記録は扱えません")
        .arg(QString::fromLatin1(head.toByteArray().toPercentEncoding()));
  }
  const QString type = QString::fromLatin1(head.first(2));
  if (line.size() != length) {
    return QStringLiteral("%1 の記録が %2 バイトです（正しくは %3 バイト）")
        .arg(type)
        .arg(line.size() + 2)
        .arg(length + 2);
  }
  if (ShownRaceKey(line).isEmpty())
    return QStringLiteral("%1 の記録のレースキーが16桁の数字ではありません").arg(type);
  return {};
}

QString RecordFieldFault(QByteArrayView line) {
  const QByteArrayView head = line.first(std::min<qsizetype>(3, line.size()));
  if ((head == "RA6" || head == "RA7") && line.size() == RaField::LineLength)
    return FirstNonDigitField(line, "RA", RaceNumberFields);
  if ((head == "SE6" || head == "SE7") && line.size() == SeField::LineLength)
    return FirstNonDigitField(line, "SE", HorseNumberFields);
  return {};
}
