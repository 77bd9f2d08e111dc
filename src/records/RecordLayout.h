#pragma once

// Byte layouts of the three records, as far as the program reads or writes
// them. Offsets are 0-based into the CP932 bytes of the line; the line as
// stored has no CR LF, so its length is the record length less 2.

// The eight bet types, in the order the race window joins their texts.
enum class TBetType { Win, Place, BracketQuinella, Quinella, QuinellaPlace, Exacta, Trio, Trifecta };

inline constexpr TBetType AllBetTypes[] = {
    TBetType::Win,    TBetType::Place, TBetType::BracketQuinella, TBetType::Quinella, TBetType::QuinellaPlace,
    TBetType::Exacta, TBetType::Trio,  TBetType::Trifecta};

// The kind of data the three records come in: the realtime race results, as
// the link is asked for them and as the feed folder names its day files' folder.
inline constexpr char RealtimeResultsKind[] = "0B12";

// Fields shared by all three records.
namespace KeyField {
inline constexpr int RecordType = 0;  // 2 bytes
inline constexpr int DataKind = 2;    // 1 byte
inline constexpr int Year = 11;       // the race key: 16 bytes from here
inline constexpr int MonthDay = 15;
inline constexpr int Venue = 19;
inline constexpr int Meeting = 21;
inline constexpr int Day = 23;
inline constexpr int RaceNumber = 25;
inline constexpr int RaceKey = 11;
inline constexpr int RaceKeyWidth = 16;
inline constexpr int DateWidth = 8;
inline constexpr int MeetingKeyWidth = 14;
}  // namespace KeyField

namespace RaField {
inline constexpr int LineLength = 1270;
inline constexpr int RaceName = 32;  // 60
inline constexpr int RaceNameWidth = 60;
inline constexpr int ShortName = 604;  // 6
inline constexpr int ShortNameWidth = 6;
inline constexpr int Grade = 614;       // 1
inline constexpr int RaceType = 616;    // 2
inline constexpr int Condition = 634;   // 3
inline constexpr int Distance = 697;    // 4
inline constexpr int TrackCode = 705;   // 2
inline constexpr int HorseCount = 881;  // 2
inline constexpr int Weather = 887;     // 1
inline constexpr int TurfGoing = 888;   // 1
inline constexpr int DirtGoing = 889;   // 1
inline constexpr int CornerBlocks = 4;
inline constexpr int CornerBlockStride = 72;
inline constexpr int CornerNumber = 981;  // 1 byte, + 72 per block
inline constexpr int CornerOrder = 983;   // 70 bytes, + 72 per block
inline constexpr int CornerOrderWidth = 70;
}  // namespace RaField

namespace SeField {
inline constexpr int LineLength = 553;
inline constexpr int Frame = 27;        // 1
inline constexpr int HorseNumber = 28;  // 2
inline constexpr int HorseName = 40;    // 36
inline constexpr int HorseNameWidth = 36;
inline constexpr int Jockey = 306;  // 8
inline constexpr int JockeyWidth = 8;
inline constexpr int Abnormality = 331;  // 1
inline constexpr int Arrival = 332;      // 2
inline constexpr int FinalPlace = 334;   // 2
inline constexpr int Time = 338;         // 4, m SS f
}  // namespace SeField

namespace HrField {
inline constexpr int LineLength = 717;
inline constexpr int PayoutWidth = 9;
}  // namespace HrField

// One bet type's block of the payout record: Count entries of EntryLength
// bytes, each a number (horse numbers or frame digits), a payout and a rank.
struct TPayBlock {
  int Offset;
  int Count;
  int NumberWidth;
  int RankWidth;
  constexpr int EntryLength() const { return NumberWidth + HrField::PayoutWidth + RankWidth; }
  constexpr int EntryOffset(int index) const { return Offset + index * EntryLength(); }
};

constexpr TPayBlock PayBlock(TBetType betType) {
  switch (betType) {
    case TBetType::Win:
      return {102, 3, 2, 2};
    case TBetType::Place:
      return {141, 5, 2, 2};
    case TBetType::BracketQuinella:
      return {206, 3, 2, 2};
    case TBetType::Quinella:
      return {245, 3, 4, 3};
    case TBetType::QuinellaPlace:
      return {293, 7, 4, 3};
    case TBetType::Exacta:
      return {453, 6, 4, 3};
    case TBetType::Trio:
      return {549, 3, 6, 3};
    case TBetType::Trifecta:
      return {603, 6, 6, 4};
  }
  return {0, 0, 0, 0};
}

static_assert(PayBlock(TBetType::Win).EntryOffset(3) == PayBlock(TBetType::Place).Offset);
static_assert(PayBlock(TBetType::Place).EntryOffset(5) == PayBlock(TBetType::BracketQuinella).Offset);
static_assert(PayBlock(TBetType::BracketQuinella).EntryOffset(3) == PayBlock(TBetType::Quinella).Offset);
static_assert(PayBlock(TBetType::Quinella).EntryOffset(3) == PayBlock(TBetType::QuinellaPlace).Offset);
static_assert(PayBlock(TBetType::QuinellaPlace).EntryOffset(7) == 405);
static_assert(PayBlock(TBetType::Exacta).EntryOffset(6) == PayBlock(TBetType::Trio).Offset);
static_assert(PayBlock(TBetType::Trio).EntryOffset(3) == PayBlock(TBetType::Trifecta).Offset);
static_assert(PayBlock(TBetType::Trifecta).EntryOffset(6) == HrField::LineLength);
