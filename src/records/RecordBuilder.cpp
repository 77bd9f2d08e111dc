#include "records/RecordBuilder.h"

#include "text/Cp932.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace {

[[noreturn]] void Refuse(const std::string& what) {
  throw std::invalid_argument("record builder: " + what);
}

}  // namespace

TRecordBuilder::TRecordBuilder(QByteArrayView recordType, char dataKind, int length) : FLine(length, ' ') {
  FLine.replace(KeyField::RecordType, 2, recordType.toByteArray());
  FLine[KeyField::DataKind] = dataKind;
}

TRecordBuilder TRecordBuilder::Race(char dataKind) {
  return TRecordBuilder("RA", dataKind, RaField::LineLength);
}
TRecordBuilder TRecordBuilder::Horse(char dataKind) {
  return TRecordBuilder("SE", dataKind, SeField::LineLength);
}
TRecordBuilder TRecordBuilder::Pay(char dataKind) {
  return TRecordBuilder("HR", dataKind, HrField::LineLength);
}

void TRecordBuilder::RequireType(const char* recordType) const {
  if (!FLine.startsWith(recordType)) Refuse(std::string("field belongs to a ") + recordType + " record");
}

TRecordBuilder& TRecordBuilder::SetBytes(int offset, QByteArrayView bytes) {
  if (offset < 0 || bytes.size() > FLine.size() - offset) {
    Refuse(std::to_string(bytes.size()) + " bytes at offset " + std::to_string(offset) + " exceed the line");
  }
  FLine.replace(offset, bytes.size(), bytes.toByteArray());
  return *this;
}

TRecordBuilder& TRecordBuilder::SetText(int offset, int width, QStringView text) {
  QByteArray bytes = EncodeCp932(text);
  if (bytes.size() > width) {
    Refuse("text of " + std::to_string(bytes.size()) + " bytes does not fit " + std::to_string(width));
  }
  bytes.append(width - bytes.size(), ' ');
  return SetBytes(offset, bytes);
}

TRecordBuilder& TRecordBuilder::SetNumber(int offset, int width, qint64 value) {
  const QByteArray digits = QByteArray::number(value);
  if (value < 0 || digits.size() > width) {
    Refuse(std::to_string(value) + " does not fit " + std::to_string(width) + " digits");
  }
  return SetBytes(offset, QByteArray(width - digits.size(), '0') + digits);
}

TRecordBuilder& TRecordBuilder::SetRaceKey(QByteArrayView raceKey) {
  if (raceKey.size() != KeyField::RaceKeyWidth) Refuse("a race key has 16 characters");
  return SetBytes(KeyField::RaceKey, raceKey);
}

TRecordBuilder& TRecordBuilder::SetRaceKey(int year, int monthDay, int venue, int meeting, int day,
                                           int raceNumber) {
  // Composed aside so a refused part leaves the key as it was.
  TRecordBuilder key = *this;
  key.SetNumber(KeyField::Year, 4, year)
      .SetNumber(KeyField::MonthDay, 4, monthDay)
      .SetNumber(KeyField::Venue, 2, venue)
      .SetNumber(KeyField::Meeting, 2, meeting)
      .SetNumber(KeyField::Day, 2, day)
      .SetNumber(KeyField::RaceNumber, 2, raceNumber);
  FLine = key.FLine;
  return *this;
}

TRecordBuilder& TRecordBuilder::SetGrade(char grade) {
  RequireType("RA");
  return SetBytes(RaField::Grade, QByteArrayView(&grade, 1));
}

TRecordBuilder& TRecordBuilder::SetCorner(int block, int cornerNumber, QByteArrayView passingOrder) {
  RequireType("RA");
  if (block < 0 || block >= RaField::CornerBlocks) Refuse("corner block " + std::to_string(block));
  if (passingOrder.size() > RaField::CornerOrderWidth) Refuse("passing order longer than 70 bytes");
  if (cornerNumber < 0 || cornerNumber > 9) Refuse("corner number " + std::to_string(cornerNumber));
  const int shift = block * RaField::CornerBlockStride;
  QByteArray order = passingOrder.toByteArray();
  order.append(RaField::CornerOrderWidth - order.size(), ' ');
  SetNumber(RaField::CornerNumber + shift, 1, cornerNumber);
  return SetBytes(RaField::CornerOrder + shift, order);
}

TRecordBuilder& TRecordBuilder::SetTime(int tenths) {
  RequireType("SE");
  if (tenths < 0 || tenths >= 10 * 600) Refuse("time of " + std::to_string(tenths) + " tenths");
  return SetNumber(SeField::Time, 4, (tenths / 600) * 1000 + tenths % 600);
}

TRecordBuilder& TRecordBuilder::SetPayEntry(TBetType betType, int index, std::initializer_list<int> numbers,
                                            qint64 payout, int rank) {
  RequireType("HR");
  const TPayBlock block = PayBlock(betType);
  if (index < 0 || index >= block.Count) Refuse("pay entry " + std::to_string(index));
  const int digitsPerNumber = betType == TBetType::BracketQuinella ? 1 : 2;
  if (int(numbers.size()) * digitsPerNumber != block.NumberWidth)
    Refuse("wrong count of numbers for the bet type");
  QByteArray entry;
  for (const int number : numbers) {
    const QByteArray digits = QByteArray::number(number);
    if (number < 0 || digits.size() > digitsPerNumber) Refuse("number " + std::to_string(number));
    entry += QByteArray(digitsPerNumber - digits.size(), '0') + digits;
  }
  for (const auto& [value, width] :
       {std::pair<qint64, int>{payout, HrField::PayoutWidth}, {rank, block.RankWidth}}) {
    const QByteArray digits = QByteArray::number(value);
    if (value < 0 || digits.size() > width) Refuse(std::to_string(value) + " does not fit its pay field");
    entry += QByteArray(width - digits.size(), '0') + digits;
  }
  return SetBytes(block.EntryOffset(index), entry);
}
