#pragma once

#include "fuzz/FuzzSupport.h"
#include "position/PassingOrderConverter.h"
#include "position/PositionLine.h"
#include "records/RecordBuilder.h"
#include "records/RecordLayout.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

// What every position line the converter gives must be: the record's header
// fields, then N blocks of 2 + 4S digits, where N and S follow from the header,
// and every entry findable by its offset.
inline void CheckPositionLine(TFailures& f, QByteArrayView record, const QByteArray& line,
                              bool headerIsDigits) {
  const auto field = [&](qsizetype offset, qsizetype width) {
    return offset + width <= record.size() ? record.sliced(offset, width).toByteArray() : QByteArray();
  };
  const QByteArray header = field(KeyField::RaceKey, KeyField::RaceKeyWidth) + field(RaField::Distance, 4) +
                            field(RaField::TrackCode, 2) + field(RaField::HorseCount, 2);
  if (header.size() == 24)
    f.Expect(line.startsWith(header), QStringLiteral("header is not the record's fields"));
  const int horses = std::max(StrToInt(field(RaField::HorseCount, 2)), 0);
  const int sections = TPassingOrderConverter::SectionCount(StrToInt(field(RaField::Distance, 4)));
  const qsizetype expected = 24 + qsizetype(horses) * (2 + 4 * sections);
  f.Expect(
      line.size() == expected,
      QStringLiteral("line is %1 bytes, header says %2: %3").arg(line.size()).arg(expected).arg(Shown(line)));
  f.Expect(AllDigits(QByteArrayView(line).sliced(std::min<qsizetype>(24, line.size()))),
           QStringLiteral("non-digit after the header: %1").arg(Shown(line)));
  if (headerIsDigits)
    f.Expect(AllDigits(line), QStringLiteral("position line is not digits only: %1").arg(Shown(line)));
  if (!f.Empty() || !AllDigits(QByteArrayView(line).first(24))) return;
  // The reader finds every entry the converter wrote, inside the line.
  for (int n = 1; n <= horses; ++n) {
    for (int g = 1; g <= sections; ++g) {
      const qsizetype at = TPositionLine(line).EntryOffset(n, g);
      if (at < 0 || at + 4 > line.size()) {
        f.Expect(false, QStringLiteral("EntryOffset(%1, %2) = %3 in a line of %4")
                            .arg(n)
                            .arg(g)
                            .arg(at)
                            .arg(line.size()));
        return;
      }
    }
  }
}

// Rows of a passing order: each row ends CR LF, the row and lane marks are gone,
// and a horse has a lane only in a row.
inline void CheckRows(TFailures& f, QByteArrayView order) {
  const QByteArray rows = TPassingOrderConverter::ParsePassingOrder(order);
  f.Expect(rows.isEmpty() || rows.endsWith("\r\n"),
           QStringLiteral("rows do not end with CR LF: %1").arg(Shown(rows)));
  for (const QByteArray& row : SplitLines(rows)) {
    f.Expect(!row.contains('-') && !row.contains('=') && !row.contains('*'),
             QStringLiteral("row keeps a mark: %1 from %2").arg(Shown(row), Shown(order)));
  }
  for (char token = 'A'; token <= 'R'; ++token) {
    const QByteArrayView t(&token, 1);
    const int row = TPassingOrderConverter::RowOf(rows, t);
    const int lane = TPassingOrderConverter::LaneOf(rows, t);
    f.Expect(row >= 0 && lane >= 0 && (row != 0 || lane == 0),
             QStringLiteral("horse %1: row %2, lane %3").arg(QChar::fromLatin1(token)).arg(row).arg(lane));
  }
}

// Header bytes as the fuzzer gives them, made digits except for the signs a
// strict integer read accepts, so inputs explore the body while a signed
// field still reaches the converter.
inline QByteArray HeaderDigits(QByteArrayView bytes) {
  QByteArray out;
  for (const char c : bytes) {
    const bool kept = (c >= '0' && c <= '9') || c == '+' || c == '-';
    out.append(kept ? c : char('0' + static_cast<quint8>(c) % 10));
  }
  return out;
}

// Input: distance (4), track (2), horses (2) and the four corner numbers (4)
// as record bytes, then the four passing orders separated by '|'. The same
// bytes also go to the converter as a record of their own.
inline TFailures CheckConvert(QByteArrayView data) {
  TFailures f;
  TFuzzInput in(data);
  TRecordBuilder race = TRecordBuilder::Race('7');
  race.SetRaceKey(2024, 512, 5, 2, 8, 11);
  race.SetBytes(RaField::Distance, HeaderDigits(in.Take(4)));
  race.SetBytes(RaField::TrackCode, HeaderDigits(in.Take(2)));
  race.SetBytes(RaField::HorseCount, HeaderDigits(in.Take(2)));
  for (int block = 0; block < RaField::CornerBlocks; ++block)
    race.SetBytes(RaField::CornerNumber + block * RaField::CornerBlockStride, in.Take(1));
  const QList<QByteArray> orders = in.Rest().toByteArray().split('|');
  for (int block = 0; block < RaField::CornerBlocks && block < orders.size(); ++block) {
    const QByteArray order = orders[block].left(70);
    race.SetBytes(RaField::CornerOrder + block * RaField::CornerBlockStride, order);
    CheckRows(f, order);
  }

  const QByteArray record = race.Line();
  try {
    const QByteArray line = TPassingOrderConverter::ConvertRace(record);
    CheckPositionLine(f, record, line, true);
    const QByteArray joined =
        TPassingOrderConverter::ConvertRaces({record, record.left(2) + '9' + record.mid(3)});
    f.Expect(joined == line + "\r\n",
             QStringLiteral("ConvertRaces differs from ConvertRace or keeps another data kind"));
  } catch (const TConvertError&) {
    // A distance, horse count or corner number that is not an integer.
  }
  try {
    const QByteArray line = TPassingOrderConverter::ConvertRace(data);
    CheckPositionLine(f, data, line,
                      AllDigits(QByteArrayView(data).sliced(KeyField::RaceKey, KeyField::RaceKeyWidth)) &&
                          AllDigits(QByteArrayView(data).sliced(RaField::Distance, 4)) &&
                          AllDigits(QByteArrayView(data).sliced(RaField::TrackCode, 2)) &&
                          AllDigits(QByteArrayView(data).sliced(RaField::HorseCount, 2)));
  } catch (const TConvertError&) {
  }
  return f;
}
