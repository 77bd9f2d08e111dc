#include "position/PassingOrderConverter.h"

#include "position/PositionLine.h"

#include "records/RecordLayout.h"
#include "text/Cp932.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

#include <QByteArrayList>

#include <algorithm>
#include <cctype>

namespace {

constexpr int MaxHorseToken = 18;
// Rows and lanes are written in two digits; a line's shape must not change.
constexpr int MaxTwoDigits = 99;
// Stands in a row for a number that is no horse: it takes its place there and
// matches no horse's token.
constexpr char NoHorse = '?';

const QByteArray Break = QByteArrayLiteral("\r\n");

QByteArray Breaks(int count) {
  return Break.repeated(count);
}

// Rows followed by a line break each, the form the splitting steps rebuild.
QByteArray JoinRows(const TByteLines& rows) {
  QByteArray text;
  for (const QByteArray& row : rows) {
    text.append(row);
    text.append(Break);
  }
  return text;
}

// A field of the record; bytes the record does not have read as blanks, so a
// short record fails the integer checks instead of being read past its end.
QByteArray Field(QByteArrayView record, qsizetype offset, qsizetype width) {
  QByteArray field(width, ' ');
  if (offset < record.size()) {
    const qsizetype have = std::min(width, record.size() - offset);
    std::copy_n(record.data() + offset, have, field.data());
  }
  return field;
}

int LastRowWith(const TByteLines& rows, QByteArrayView token) {
  for (qsizetype r = rows.size() - 1; r >= 0; --r) {
    if (rows[r].contains(token)) return static_cast<int>(r + 1);
  }
  return 0;
}

int LaneInRow(QByteArrayView row, QByteArrayView token) {
  int lane = 1;
  qsizetype start = 0;
  while (true) {
    const qsizetype comma = row.indexOf(',', start);
    const QByteArrayView item = row.sliced(start, (comma < 0 ? row.size() : comma) - start);
    if (item.compare(token, Qt::CaseInsensitive) == 0) return lane;
    if (comma < 0) return 0;
    start = comma + 1;
    ++lane;
  }
}

// A number no horse can carry, in place of its digits: left to the
// replacement below, "19" would fall apart into horses 1 and 9 and move them.
void MarkNumbersBeyondHorses(QByteArray& text) {
  QByteArray out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size();) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
      out.append(text[i++]);
      continue;
    }
    const qsizetype start = i;
    int value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
      value = std::min(value * 10 + (text[i] - '0'), MaxHorseToken + 1);
    if (value > MaxHorseToken)
      out.append(NoHorse);
    else
      out.append(text.constData() + start, i - start);
  }
  text = std::move(out);
}

void AppendTwoDigits(QByteArray& out, int value) {
  value = std::clamp(value, 0, MaxTwoDigits);
  out.append(static_cast<char>('0' + value / 10));
  out.append(static_cast<char>('0' + value % 10));
}

}  // namespace

int TPassingOrderConverter::SectionCount(int distance) {
  return TPositionLine::SectionCount(distance);
}

char TPassingOrderConverter::HorseToken(int n) {
  return n >= 1 && n <= MaxHorseToken ? static_cast<char>(64 + n) : '\0';
}

QByteArray TPassingOrderConverter::ParsePassingOrder(QByteArrayView order) {
  QByteArray text = order.toByteArray();
  text.replace('.', ',');
  if (const qsizetype cut = text.indexOf("   "); cut >= 0) text.truncate(cut);
  text.replace(" ", "");
  MarkNumbersBeyondHorses(text);
  // Two-digit numbers first, so "12" is one horse and not 1 and 2.
  for (int n = MaxHorseToken; n >= 1; --n) text.replace(QByteArray::number(n), QByteArray(1, HorseToken(n)));
  text.replace("*", "");
  text.replace(")=", ")" + Breaks(4));
  text.replace(")-", ")" + Break);
  text.replace("=(", Breaks(5) + "(");
  text.replace("-(", Breaks(2) + "(");
  text.replace(")", ")" + Break);
  text.replace("=", Breaks(5));
  text.replace("-", Breaks(2));

  TByteLines rows = SplitLines(text);
  // A group after a horse in the same row starts a row of its own.
  text.clear();
  for (QByteArray& row : rows) {
    if (row.indexOf('(', 1) >= 0) row.replace("(", Break + "(");
    text.append(row);
    text.append(Break);
  }
  rows = SplitLines(text);
  // Outside groups every horse is a row.
  text.clear();
  for (QByteArray& row : rows) {
    if (!row.contains('(')) row.replace(",", Break);
    text.append(row);
    text.append(Break);
  }
  rows = SplitLines(text);
  for (QByteArray& row : rows) {
    if (row.startsWith('(')) {
      row.replace("(", "");
      row.replace(")", "");
    }
  }
  return JoinRows(rows);
}

int TPassingOrderConverter::RowOf(QByteArrayView rowText, QByteArrayView token) {
  return LastRowWith(SplitLines(rowText), token);
}

int TPassingOrderConverter::LaneOf(QByteArrayView rowText, QByteArrayView token) {
  const TByteLines rows = SplitLines(rowText);
  const int row = LastRowWith(rows, token);
  return row == 0 ? 0 : LaneInRow(rows[row - 1], token);
}

int TPassingOrderConverter::FrameOf(int horses, int n) {
  if (n > horses) return -1;
  if (horses <= 8) return n;
  const int single = 8 - horses % 8;
  const auto ceilDiv = [](int a, int b) { return (a + b - 1) / b; };
  if (horses <= 15) return n <= single ? n : single + ceilDiv(n - single, 2);
  return n <= 2 * single ? ceilDiv(n, 2) : single + ceilDiv(n - 2 * single, 3);
}

namespace {

void RequireDigits(const QByteArray& field) {
  for (const char c : field) {
    if (c < '0' || c > '9') {
      throw TConvertError(QStringLiteral("'%1' は正しい整数値ではありません").arg(DecodeCp932(field)));
    }
  }
}

}  // namespace

QByteArray TPassingOrderConverter::ConvertRace(QByteArrayView record) {
  const QByteArray key = Field(record, KeyField::RaceKey, KeyField::RaceKeyWidth);
  const QByteArray distanceText = Field(record, RaField::Distance, 4);
  const QByteArray trackText = Field(record, RaField::TrackCode, 2);
  const QByteArray horsesText = Field(record, RaField::HorseCount, 2);
  // The fields are copied into a line that must hold digits only; a sign that
  // the integer reading would accept, or any other byte, is refused here.
  RequireDigits(distanceText);
  RequireDigits(trackText);
  RequireDigits(horsesText);
  const int distance = StrToInt(distanceText);
  const int horses = StrToInt(horsesText);
  const int sections = SectionCount(distance);

  // entries[(n - 1) * sections + i] for horse n, section index i.
  QByteArrayList entries(static_cast<qsizetype>(horses) * sections, QByteArrayLiteral("0000"));
  for (int k = 0; k < RaField::CornerBlocks; ++k) {
    const int stride = k * RaField::CornerBlockStride;
    const TByteLines rows = SplitLines(
        ParsePassingOrder(Field(record, RaField::CornerOrder + stride, RaField::CornerOrderWidth)));
    const int corner = StrToInt(Field(record, RaField::CornerNumber + stride, 1));
    const int g = corner == 1 ? 6 : corner == 2 ? 5 : corner == 3 ? 3 : corner == 4 ? 2 : 0;
    // Other corner numbers, and corners 1 and 2 of a race without those
    // sections, leave every entry as it is.
    if (g == 0 || g > sections) continue;
    const int index = sections - g;
    for (int n = 1; n <= horses; ++n) {
      QByteArray entry;
      entry.reserve(4);
      const char token = HorseToken(n);
      const int row = token != '\0' ? LastRowWith(rows, QByteArrayView(&token, 1)) : 0;
      const int lane = row != 0 ? LaneInRow(rows[row - 1], QByteArrayView(&token, 1)) : 0;
      AppendTwoDigits(entry, row);
      AppendTwoDigits(entry, lane);
      entries[static_cast<qsizetype>(n - 1) * sections + index] = entry;
    }
  }

  QByteArray line;
  line.reserve(24 + static_cast<qsizetype>(horses) * (2 + 4 * sections));
  line.append(key).append(distanceText).append(trackText).append(horsesText);
  for (int n = 1; n <= horses; ++n) {
    const int frame = FrameOf(horses, n);
    line.append(frame >= 1 && frame <= 8 ? static_cast<char>('0' + frame) : '0');
    line.append('0');
    for (int i = 0; i < sections; ++i) line.append(entries[static_cast<qsizetype>(n - 1) * sections + i]);
  }
  return line;
}

QByteArray TPassingOrderConverter::ConvertRaces(const TByteLines& records) {
  QByteArray text;
  for (const QByteArray& record : records) {
    if (record.size() <= KeyField::DataKind) continue;
    const char kind = record[KeyField::DataKind];
    if (kind != '6' && kind != '7') continue;
    try {
      text.append(ConvertRace(record));
    } catch (const TConvertError& error) {
      // Name the race, so the user can tell which record is at fault.
      const QByteArray key = Field(record, KeyField::RaceKey, KeyField::RaceKeyWidth);
      throw TConvertError(QStringLiteral("レース %1 の展開データを作れません: %2")
                              .arg(QString::fromLatin1(key.trimmed()), error.Message()));
    }
    text.append(Break);
  }
  return text;
}
