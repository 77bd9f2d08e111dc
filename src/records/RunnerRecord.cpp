#include "records/RunnerRecord.h"

#include "records/RecordBuffer.h"
#include "records/RecordLayout.h"
#include "text/Cp932.h"
#include "text/IntConvert.h"

#include <array>

using namespace Qt::StringLiterals;

bool TRunnerRecord::LoadRecord(const QByteArray& line) {
  return LoadRecordBuffer(FBuffer, line, "SE");
}

QByteArrayView TRunnerRecord::Field(int offset, int width) const {
  return BufferField(FBuffer, offset, width);
}

QByteArray TRunnerRecord::RaceKey(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  return Field(KeyField::RaceKey, KeyField::RaceKeyWidth).toByteArray();
}

QByteArray TRunnerRecord::FrameNumber(const QByteArray& line) {
  if (!LoadRecord(line)) return QByteArrayLiteral("0");
  return Field(SeField::Frame, 1).toByteArray();
}

QByteArray TRunnerRecord::HorseNumber(const QByteArray& line) {
  if (!LoadRecord(line)) return QByteArrayLiteral("00");
  return Field(SeField::HorseNumber, 2).toByteArray();
}

QString TRunnerRecord::HorseName(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  return DecodeCp932(Field(SeField::HorseName, SeField::HorseNameWidth));
}

QByteArray TRunnerRecord::JockeyName(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  return Field(SeField::Jockey, SeField::JockeyWidth).toByteArray();
}

QString TRunnerRecord::AbnormalMark(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  switch (StrToInt(Field(SeField::Abnormality, 1))) {
    case 1:
      return u"消"_s;
    case 2:
    case 3:
      return u"外"_s;
    case 4:
      return u"止"_s;
    case 5:
      return u"失"_s;
    case 6:
      return u"再"_s;
    default:
      return {};
  }
}

QByteArray TRunnerRecord::ArrivalOrder(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  return Field(SeField::Arrival, 2).toByteArray();
}

QByteArray TRunnerRecord::FinalPlace(const QByteArray& line) {
  if (!LoadRecord(line)) return {};
  return Field(SeField::FinalPlace, 2).toByteArray();
}

int TRunnerRecord::RunTime(const QByteArray& line) {
  if (!LoadRecord(line)) return 0;
  const int time = StrToInt(Field(SeField::Time, 4));
  return (time / 1000) * 600 + time % 1000;
}

void TRunnerRecord::SortByArrival(TByteLines& lines) {
  // Buckets "01".."18" then "00"; one pass keeps each bucket's input order.
  std::array<TByteLines, 19> buckets;
  for (const QByteArray& line : lines) {
    const QByteArray order = ArrivalOrder(line);
    if (order.size() != 2 || order[0] < '0' || order[0] > '9' || order[1] < '0' || order[1] > '9') continue;
    const int n = (order[0] - '0') * 10 + (order[1] - '0');
    if (n == 0) {
      buckets[18].append(line);
    } else if (n <= 18) {
      buckets[n - 1].append(line);
    }
  }
  TByteLines sorted;
  sorted.reserve(lines.size());
  for (const TByteLines& bucket : buckets) sorted.append(bucket);
  lines = sorted;
}
