#pragma once

#include "records/RecordLayout.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <initializer_list>

// Composes record lines (without their CR LF) field by field, for the demo
// data service and for tests. A new line is all spaces except its record type
// and data kind. Every setter checks that its value fits the field; a value
// that does not throws std::invalid_argument and leaves the line unchanged, so
// a line of the wrong length is never produced.
class TRecordBuilder {
public:
  static TRecordBuilder Race(char dataKind = '7');   // "RA", 1270 bytes
  static TRecordBuilder Horse(char dataKind = '7');  // "SE", 553 bytes
  static TRecordBuilder Pay(char dataKind = '1');    // "HR", 717 bytes

  const QByteArray& Line() const { return FLine; }

  // Raw bytes at an offset; they must lie inside the line.
  TRecordBuilder& SetBytes(int offset, QByteArrayView bytes);
  // Text encoded in CP932 and padded with spaces to the width.
  TRecordBuilder& SetText(int offset, int width, QStringView text);
  // A non-negative number written with leading zeros to the width.
  TRecordBuilder& SetNumber(int offset, int width, qint64 value);

  // Race key, in all three records.
  TRecordBuilder& SetRaceKey(QByteArrayView raceKey);  // 16 characters
  TRecordBuilder& SetRaceKey(int year, int monthDay, int venue, int meeting, int day, int raceNumber);

  // Race record.
  TRecordBuilder& SetRaceName(QStringView name);
  TRecordBuilder& SetShortName(QStringView name);
  TRecordBuilder& SetGrade(char grade);
  TRecordBuilder& SetRaceType(int code);
  TRecordBuilder& SetCondition(int code);
  TRecordBuilder& SetDistance(int metres);
  TRecordBuilder& SetTrackCode(int code);
  TRecordBuilder& SetHorseCount(int count);
  TRecordBuilder& SetWeather(int code);
  TRecordBuilder& SetTurfGoing(int code);
  TRecordBuilder& SetDirtGoing(int code);
  // Corner block 0..3: its corner number byte and passing order (up to 70 bytes).
  TRecordBuilder& SetCorner(int block, int cornerNumber, QByteArrayView passingOrder);

  // Horse-race record.
  TRecordBuilder& SetFrame(int frame);
  TRecordBuilder& SetHorseNumber(int number);
  TRecordBuilder& SetHorseName(QStringView name);
  TRecordBuilder& SetJockey(QStringView name);
  TRecordBuilder& SetAbnormality(int code);
  TRecordBuilder& SetArrival(int order);
  TRecordBuilder& SetFinalPlace(int place);
  // Finishing time in tenths of a second, stored as m SS f (945 -> "1345").
  TRecordBuilder& SetTime(int tenths);

  // Payout record: entry `index` of a bet type's block. Numbers are horse
  // numbers (two digits each) or, for the bracket quinella, the two frames
  // (one digit each).
  TRecordBuilder& SetPayEntry(TBetType betType, int index, std::initializer_list<int> numbers, qint64 payout,
                              int rank);

private:
  TRecordBuilder(QByteArrayView recordType, char dataKind, int length);
  void RequireType(const char* recordType) const;

  QByteArray FLine;
};
