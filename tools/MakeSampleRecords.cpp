// Writes a small file of realistic records: two races with their runners and
// payouts, as the download files them (one record a line, CP932, CR LF).
//   MakeSampleRecords FILE

#include "records/RecordBuilder.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>

namespace {

struct THorse {
  int Number;
  const char16_t* Name;
  const char16_t* Jockey;
  int Arrival;  // 0: did not arrive
  int Tenths;
  int Abnormality;
};

TByteLines Horses(const char* raceKey, int horseCount, std::initializer_list<THorse> horses) {
  TByteLines lines;
  for (const THorse& horse : horses) {
    // Frames as the service numbers them for small fields: one horse a frame up to 8.
    const int frame = horseCount <= 8 ? horse.Number : 1 + (horse.Number - 1) * 8 / horseCount;
    lines.append(TRecordBuilder::Horse('7')
                     .SetRaceKey(raceKey)
                     .SetFrame(frame)
                     .SetHorseNumber(horse.Number)
                     .SetHorseName(horse.Name)
                     .SetJockey(horse.Jockey)
                     .SetAbnormality(horse.Abnormality)
                     .SetArrival(horse.Arrival)
                     .SetFinalPlace(horse.Arrival)
                     .SetTime(horse.Tenths)
                     .Line());
  }
  return lines;
}

TRecordBuilder EmptyPay(const char* raceKey) {
  TRecordBuilder pay = TRecordBuilder::Pay('1');
  pay.SetRaceKey(raceKey);
  for (const TBetType betType : AllBetTypes) {
    const TPayBlock block = PayBlock(betType);
    pay.SetBytes(block.Offset, QByteArray(block.Count * block.EntryLength(), '0'));
  }
  return pay;
}

TByteLines SampleRecords() {
  TByteLines lines;
  const char derby[] = "2024052605021011";
  lines.append(TRecordBuilder::Race('7')
                   .SetRaceKey(derby)
                   .SetRaceName(u"東京優駿（日本ダービー）")
                   .SetShortName(u"")
                   .SetGrade('A')
                   .SetRaceType(12)
                   .SetCondition(999)
                   .SetDistance(2400)
                   .SetTrackCode(11)
                   .SetHorseCount(8)
                   .SetWeather(1)
                   .SetTurfGoing(1)
                   .SetDirtGoing(0)
                   .SetCorner(0, 1, "2,5(1,7)(3,8)4,6")
                   .SetCorner(1, 2, "2,5(1,7)3,8,4,6")
                   .SetCorner(2, 3, "2(5,7)1(3,8)-4,6")
                   .SetCorner(3, 4, "(*2,7)5(1,8)3-4,6")
                   .Line());
  lines.append(Horses(derby, 8,
                      {{1, u"サクラノカゼ", u"青木", 4, 1442, 0},
                       {2, u"ミヤコノホシ", u"石田", 2, 1440, 0},
                       {3, u"アオバブライト", u"上原", 6, 1445, 0},
                       {4, u"ハヤテマル", u"江口", 7, 1447, 0},
                       {5, u"キタノダイチ", u"大森", 3, 1441, 0},
                       {6, u"ユメノツバサ", u"加納", 8, 1449, 0},
                       {7, u"ハルノアカツキ", u"北村", 1, 1439, 0},
                       {8, u"シンゲンオー", u"工藤", 5, 1443, 0}}));
  lines.append(EmptyPay(derby)
                   .SetPayEntry(TBetType::Win, 0, {7}, 650, 3)
                   .SetPayEntry(TBetType::Place, 0, {7}, 210, 3)
                   .SetPayEntry(TBetType::Place, 1, {2}, 130, 1)
                   .SetPayEntry(TBetType::Place, 2, {5}, 180, 2)
                   .SetPayEntry(TBetType::Quinella, 0, {2, 7}, 1090, 3)
                   .SetPayEntry(TBetType::QuinellaPlace, 0, {2, 7}, 420, 3)
                   .SetPayEntry(TBetType::QuinellaPlace, 1, {5, 7}, 560, 5)
                   .SetPayEntry(TBetType::QuinellaPlace, 2, {2, 5}, 300, 1)
                   .SetPayEntry(TBetType::Exacta, 0, {7, 2}, 2480, 8)
                   .SetPayEntry(TBetType::Trio, 0, {2, 5, 7}, 1380, 2)
                   .SetPayEntry(TBetType::Trifecta, 0, {7, 2, 5}, 9870, 21)
                   .Line());

  // A dirt race with a scratched horse and a dead heat for third. Brackets are
  // not sold in fields of eight or fewer, places pay two in seven or fewer.
  const char kyoto[] = "2024052608030805";
  lines.append(TRecordBuilder::Race('7')
                   .SetRaceKey(kyoto)
                   .SetRaceName(u"")
                   .SetShortName(u"")
                   .SetGrade(' ')
                   .SetRaceType(13)
                   .SetCondition(5)
                   .SetDistance(1800)
                   .SetTrackCode(24)
                   .SetHorseCount(6)
                   .SetWeather(2)
                   .SetTurfGoing(0)
                   .SetDirtGoing(2)
                   .SetCorner(0, 1, "3,1-5(2,6)")
                   .SetCorner(1, 2, "3,1-5,6,2")
                   .SetCorner(2, 3, "(*3,1)5-6,2")
                   .SetCorner(3, 4, "1,3,5=6,2")
                   .Line());
  lines.append(Horses(kyoto, 6,
                      {{1, u"エイシンテンプウ", u"小島", 1, 1134, 0},
                       {2, u"メイショウアラシ", u"佐野", 3, 1139, 0},
                       {3, u"タガノモミジ", u"杉本", 2, 1136, 0},
                       {4, u"ナムラツヨシ", u"田辺", 0, 0, 1},
                       {5, u"カゼノアレグロ", u"中井", 5, 1141, 0},
                       {6, u"テイエムハヤテ", u"野口", 3, 1139, 0}}));
  lines.append(EmptyPay(kyoto)
                   .SetPayEntry(TBetType::Win, 0, {1}, 320, 1)
                   .SetPayEntry(TBetType::Place, 0, {1}, 140, 1)
                   .SetPayEntry(TBetType::Place, 1, {3}, 190, 3)
                   .SetPayEntry(TBetType::Quinella, 0, {1, 3}, 880, 3)
                   .SetPayEntry(TBetType::QuinellaPlace, 0, {1, 3}, 340, 3)
                   .SetPayEntry(TBetType::QuinellaPlace, 1, {1, 2}, 280, 2)
                   .SetPayEntry(TBetType::QuinellaPlace, 2, {2, 3}, 510, 6)
                   .SetPayEntry(TBetType::QuinellaPlace, 3, {1, 6}, 390, 4)
                   .SetPayEntry(TBetType::QuinellaPlace, 4, {3, 6}, 620, 8)
                   .SetPayEntry(TBetType::Exacta, 0, {1, 3}, 1450, 4)
                   .SetPayEntry(TBetType::Trio, 0, {1, 2, 3}, 1230, 3)
                   .SetPayEntry(TBetType::Trio, 1, {1, 3, 6}, 1870, 5)
                   .SetPayEntry(TBetType::Trifecta, 0, {1, 3, 2}, 4560, 9)
                   .SetPayEntry(TBetType::Trifecta, 1, {1, 3, 6}, 6210, 14)
                   .Line());
  return lines;
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const QStringList arguments = app.arguments();
  if (arguments.size() != 2) {
    std::fputs("使い方: MakeSampleRecords FILE\n", stderr);
    return 1;
  }
  try {
    WriteLines(arguments.at(1), SampleRecords());
  } catch (const TRavekError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 2;
  }
  return 0;
}
