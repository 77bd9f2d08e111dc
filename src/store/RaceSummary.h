#pragma once

#include <QByteArray>
#include <QByteArrayView>

// One race summary line: the race key, "=", then the first three finishers'
// place entries of 28 bytes each:
//
//   frame (1) | horse number (2) | row and lane at ３コーナー (4) |
//   row and lane at ４コーナー (4) | place payout (9) | jockey (8, CP932)
//
// A value of any other length than three entries is not a summary a reader
// accepts. The view reads the caller's bytes; AppendPlace writes them.
class TRaceSummary {
public:
  static constexpr qsizetype KeyLength = 16;
  static constexpr qsizetype PlaceLength = 28;
  static constexpr qsizetype ValueLength = 3 * PlaceLength;
  static constexpr qsizetype FrameOffset = 0;
  static constexpr qsizetype HorseOffset = 1, HorseLength = 2;
  static constexpr qsizetype Corner3Offset = 3, Corner4Offset = 7, CornerLength = 4;
  static constexpr qsizetype PayoutOffset = 11, PayoutLength = 9;
  static constexpr qsizetype JockeyOffset = 20, JockeyLength = 8;

  // A whole line, split at its first "=".
  explicit TRaceSummary(QByteArrayView line);
  // The value alone, as the results list keeps it.
  static TRaceSummary OfValue(QByteArrayView value);

  // The name before the first "=" (the whole line when it has none).
  QByteArrayView RaceKey() const { return FKey; }
  // The bytes after the first "=", empty when there is none.
  QByteArrayView Value() const { return FValue; }
  bool IsComplete() const { return Value().size() == ValueLength; }

  // Fields of place 0, 1 or 2 of a complete summary; empty otherwise.
  QByteArrayView Place(int place) const;
  char Frame(int place) const;
  QByteArrayView HorseNumber(int place) const { return Field(place, HorseOffset, HorseLength); }
  QByteArrayView Corner3(int place) const { return Field(place, Corner3Offset, CornerLength); }
  QByteArrayView Corner4(int place) const { return Field(place, Corner4Offset, CornerLength); }
  QByteArrayView Payout(int place) const { return Field(place, PayoutOffset, PayoutLength); }
  QByteArrayView Jockey(int place) const { return Field(place, JockeyOffset, JockeyLength); }

  // Appends one place entry to a value; each field must already have its width.
  static void AppendPlace(QByteArray& value, QByteArrayView frame, QByteArrayView horse,
                          QByteArrayView corner3, QByteArrayView corner4, QByteArrayView payout,
                          QByteArrayView jockey);

private:
  QByteArrayView Field(int place, qsizetype offset, qsizetype length) const;

  TRaceSummary() = default;

  QByteArrayView FKey;
  QByteArrayView FValue;
};
