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
  TRecordBuilder& SetRaceName(QStringView name) {
    return Text("RA", RaField::RaceName, RaField::RaceNameWidth, name);
  }
  TRecordBuilder& SetShortName(QStringView name) {
    return Text("RA", RaField::ShortName, RaField::ShortNameWidth, name);
  }
  TRecordBuilder& SetGrade(char grade);
  TRecordBuilder& SetRaceType(int code) { return Number("RA", RaField::RaceType, 2, code); }
  TRecordBuilder& SetCondition(int code) { return Number("RA", RaField::Condition, 3, code); }
  TRecordBuilder& SetDistance(int metres) { return Number("RA", RaField::Distance, 4, metres); }
  TRecordBuilder& SetTrackCode(int code) { return Number("RA", RaField::TrackCode, 2, code); }
  TRecordBuilder& SetHorseCount(int count) { return Number("RA", RaField::HorseCount, 2, count); }
  TRecordBuilder& SetWeather(int code) { return Number("RA", RaField::Weather, 1, code); }
  TRecordBuilder& SetTurfGoing(int code) { return Number("RA", RaField::TurfGoing, 1, code); }
  TRecordBuilder& SetDirtGoing(int code) { return Number("RA", RaField::DirtGoing, 1, code); }
  // Corner block 0..3: its corner number byte and passing order (up to 70 bytes).
  TRecordBuilder& SetCorner(int block, int cornerNumber, QByteArrayView passingOrder);

  // Horse-race record.
  TRecordBuilder& SetFrame(int frame) { return Number("SE", SeField::Frame, 1, frame); }
  TRecordBuilder& SetHorseNumber(int number) { return Number("SE", SeField::HorseNumber, 2, number); }
  TRecordBuilder& SetHorseName(QStringView name) {
    return Text("SE", SeField::HorseName, SeField::HorseNameWidth, name);
  }
  TRecordBuilder& SetJockey(QStringView name) {
    return Text("SE", SeField::Jockey, SeField::JockeyWidth, name);
  }
  TRecordBuilder& SetAbnormality(int code) { return Number("SE", SeField::Abnormality, 1, code); }
  TRecordBuilder& SetArrival(int order) { return Number("SE", SeField::Arrival, 2, order); }
  TRecordBuilder& SetFinalPlace(int place) { return Number("SE", SeField::FinalPlace, 2, place); }
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
  // A field of the one record type.
  TRecordBuilder& Number(const char* recordType, int offset, int width, qint64 value) {
    RequireType(recordType);
    return SetNumber(offset, width, value);
  }
  TRecordBuilder& Text(const char* recordType, int offset, int width, QStringView text) {
    RequireType(recordType);
    return SetText(offset, width, text);
  }

  QByteArray FLine;
};
