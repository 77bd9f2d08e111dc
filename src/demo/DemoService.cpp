#include "demo/DemoService.h"
#include "records/DateKey.h"

#include "demo/DemoNames.h"
#include "demo/DemoPopulation.h"
#include "position/PassingOrderConverter.h"
#include "records/RecordBuilder.h"
#include "records/RecordLayout.h"

#include <QDir>

#include <cstdint>

namespace {

std::uint64_t DayNumber(const QDate& day) {
  return static_cast<std::uint64_t>(day.toJulianDay());
}

// Saturday's results are confirmed by the time the week is fetched; the last
// days still carry the preliminary final stage.
char FinalKind(const QDate& day) {
  return day.dayOfWeek() == Qt::Saturday ? '7' : '6';
}

QByteArray RaceLine(const TDemoRace& race, char kind) {
  const TRacePlan& plan = race.Plan;
  const bool graded = plan.Grade != ' ';
  TRecordBuilder b = TRecordBuilder::Race(kind);
  b.SetRaceKey(race.RaceKey)
      .SetRaceName(DemoNames::PadFullWidth(plan.Name, 30))
      .SetShortName(DemoNames::PadFullWidth(plan.ShortName, 3))
      .SetGrade(graded ? plan.Grade : (plan.Name.isEmpty() ? ' ' : 'E'))
      .SetRaceType(plan.RaceType)
      .SetCondition(plan.Condition)
      .SetDistance(plan.Distance)
      .SetTrackCode(plan.TrackCode)
      .SetHorseCount(plan.Horses)
      .SetWeather(race.Conditions.Weather)
      .SetTurfGoing(race.Conditions.TurfGoing)
      .SetDirtGoing(race.Conditions.DirtGoing);
  for (int k = 0; k < RaField::CornerBlocks; ++k) {
    const bool used = k < race.Run.Corners.size();
    b.SetCorner(k, used ? race.Run.Corners[k] : 0,
                used ? QByteArrayView(race.Run.Orders[k].Text) : QByteArrayView());
    // The lap count between the corner number and the order.
    b.SetBytes(RaField::CornerNumber + 1 + k * RaField::CornerBlockStride, used ? "1" : "0");
  }
  return b.Line();
}

QByteArray HorseLine(const TDemoRace& race, int index, char kind) {
  const THorseRun& horse = race.Run.Horses[index];
  return TRecordBuilder::Horse(kind)
      .SetRaceKey(race.RaceKey)
      .SetFrame(race.Frames[index])
      .SetHorseNumber(horse.Number)
      .SetHorseName(DemoNames::PadFullWidth(race.HorseNames[index], 18))
      .SetJockey(race.Jockeys[index])
      .SetAbnormality(horse.Abnormality)
      .SetArrival(horse.Arrival)
      .SetFinalPlace(horse.Arrival)
      .SetTime(horse.Time)
      .Line();
}

QByteArray PayLine(const TDemoRace& race) {
  TRecordBuilder b = TRecordBuilder::Pay('1');
  b.SetRaceKey(race.RaceKey);
  for (const TBetType betType : AllBetTypes) {
    const TPayBlock block = PayBlock(betType);
    b.SetBytes(block.Offset, QByteArray(block.Count * block.EntryLength(), '0'));
    const QList<TPayout>& paid = race.Payouts[betType];
    for (qsizetype i = 0; i < paid.size() && i < block.Count; ++i) {
      const QList<int>& n = paid[i].Numbers;
      const int index = static_cast<int>(i);
      switch (n.size()) {
        case 1:
          b.SetPayEntry(betType, index, {n[0]}, paid[i].Payout, paid[i].Rank);
          break;
        case 2:
          b.SetPayEntry(betType, index, {n[0], n[1]}, paid[i].Payout, paid[i].Rank);
          break;
        case 3:
          b.SetPayEntry(betType, index, {n[0], n[1], n[2]}, paid[i].Payout, paid[i].Rank);
          break;
        default:
          break;
      }
    }
  }
  return b.Line();
}

// Weather and going announced for a venue's day ("WE", 42 bytes).
QByteArray WeatherRecord(const QDate& day, const TVenueCard& card) {
  QByteArray r = "WE1" + DateKey(day) + DateKey(day);
  r += QByteArray::number(card.Venue.Venue).rightJustified(2, '0');
  r += QByteArray::number(card.Venue.Meeting).rightJustified(2, '0');
  r += QByteArray::number(card.Venue.Day).rightJustified(2, '0');
  r += DateKey(day).mid(4) + "0900" + "1";
  r += QByteArray::number(card.Conditions.Weather) + QByteArray::number(card.Conditions.TurfGoing) +
       QByteArray::number(card.Conditions.DirtGoing) + "000";
  return r;
}

// A scratching ("AV", 78 bytes).
QByteArray ScratchRecord(const QDate& day, const TDemoRace& race, int index) {
  QByteArray r = "AV1" + DateKey(day) + race.RaceKey + DateKey(day).mid(4) + "0830";
  r += QByteArray::number(race.Run.Horses[index].Number).rightJustified(2, '0');
  const QByteArray name = TRecordBuilder::Horse('1')
                              .SetHorseName(DemoNames::PadFullWidth(race.HorseNames[index], 18))
                              .Line()
                              .mid(SeField::HorseName, SeField::HorseNameWidth);
  r += name + (race.Run.Horses[index].Abnormality == 1 ? "001" : "002");
  return r;
}

// An earlier stage of a record: the same bytes under an earlier data kind.
QByteArray Stage(QByteArray line, char kind) {
  line[2] = kind;
  return line;
}

}  // namespace

TDemoRace TDemoService::MakeRace(const QDate& day, const TVenueCard& card, const TRacePlan& plan,
                                 const QList<TDemoEntry>& field, const QStringList* roster) const {
  TDemoRace race;
  race.Plan = plan;
  race.Conditions = card.Conditions;
  race.RaceKey = DateKey(day) + QByteArray::number(card.Venue.Venue).rightJustified(2, '0') +
                 QByteArray::number(card.Venue.Meeting).rightJustified(2, '0') +
                 QByteArray::number(card.Venue.Day).rightJustified(2, '0') +
                 QByteArray::number(plan.RaceNumber).rightJustified(2, '0');
  const auto stream = [&](TDemoRandom::TStream kind) {
    return TDemoRandom::ForRace(FSeed, day, card.Venue.Venue, plan.RaceNumber, kind);
  };
  QList<double> abilities;
  for (const TDemoEntry& entry : field) abilities.append(entry.Ability);
  TDemoRandom runRandom = stream(TDemoRandom::Run);
  race.Run = RunRace(plan, card.Conditions, abilities, runRandom);
  for (int n = 1; n <= plan.Horses; ++n) race.Frames.append(TPassingOrderConverter::FrameOf(plan.Horses, n));
  if (!roster) return race;

  for (const TDemoEntry& entry : field) {
    race.HorseNames.append(entry.Name);
    race.Jockeys.append(roster->value(entry.Jockey));
  }
  TDemoRandom payRandom = stream(TDemoRandom::Pay);
  race.Payouts = PayRace(race.Run, race.Frames, payRandom);
  return race;
}

QList<TDemoRace> TDemoService::RacesOf(const QDate& day) const {
  QList<TDemoRace> races;
  const QList<TVenueCard> cards = MakeDayCards(day, FCalendar, FSeed);
  const QList<QList<TDemoEntry>> fields = DemoPopulation::DayFields(FSeed, FCalendar, day);
  const QStringList roster = DemoNames::JockeyRoster(FSeed);
  const char kind = FinalKind(day);
  for (int r = 0; r < 12; ++r) {
    for (qsizetype v = 0; v < cards.size(); ++v) {
      const TVenueCard& card = cards[v];
      TDemoRace race = MakeRace(day, card, card.Races[r], fields.value(v * 12 + r), &roster);
      race.RaceLine = RaceLine(race, kind);
      for (int i = 0; i < race.Plan.Horses; ++i) race.HorseLines.append(HorseLine(race, i, kind));
      race.PayLine = PayLine(race);
      races.append(race);
    }
  }
  return races;
}

QByteArray TDemoService::DayFeed(const QDate& day) const {
  QByteArray feed;
  const auto put = [&feed](const QByteArray& record) {
    feed += record;
    feed += "\r\n";
  };
  const QList<TVenueCard> cards = MakeDayCards(day, FCalendar, FSeed);
  for (const TVenueCard& card : cards) put(WeatherRecord(day, card));
  for (const TDemoRace& race : RacesOf(day)) {
    TDemoRandom random =
        TDemoRandom::For({std::uint64_t(FSeed), DayNumber(day),
                          std::uint64_t(race.RaceKey.toLongLong() % 1000000), TDemoRandom::Stage});
    for (int i = 0; i < race.Run.Horses.size(); ++i) {
      const int abnormality = race.Run.Horses[i].Abnormality;
      if (abnormality == 1 || abnormality == 2) put(ScratchRecord(day, race, i));
    }
    // Earlier stages of the results, which the download must drop.
    if (random.Chance(0.5)) {
      const char kind = static_cast<char>('3' + random.Between(0, 2));
      QByteArray ra = Stage(race.RaceLine, kind);
      for (int k = 0; k < RaField::CornerBlocks; ++k) {
        const int at = RaField::CornerNumber + k * RaField::CornerBlockStride;
        ra.replace(at, 2 + RaField::CornerOrderWidth, "00" + QByteArray(RaField::CornerOrderWidth, ' '));
      }
      put(ra);
      const int shown = kind == '3' ? 3 : (kind == '4' ? 5 : 18);
      for (int i = 0; i < race.HorseLines.size(); ++i) {
        const int arrival = race.Run.Horses[i].Arrival;
        if (arrival > 0 && arrival <= shown) put(Stage(race.HorseLines[i], kind));
      }
      if (random.Chance(0.5)) put(Stage(race.PayLine, '2'));
    }
    put(race.RaceLine);
    for (const QByteArray& line : race.HorseLines) put(line);
    put(race.PayLine);
  }
  return feed;
}

bool TDemoService::WriteDay(const QString& feedDir, const QDate& day) const {
  if (!FCalendar.IsRacingDay(day)) return false;
  const QString folder = feedDir + u'/' + QString::fromLatin1(RealtimeResultsKind);
  QDir().mkpath(folder);
  WriteFileAtomically(folder + u'/' + QString::fromLatin1(DateKey(day)) + QStringLiteral(".txt"),
                      DayFeed(day));
  return true;
}

QList<QDate> TDemoService::WriteFeed(const QString& feedDir, const QDate& lastDay, int days) const {
  QList<QDate> written;
  for (int i = days - 1; i >= 0; --i) {
    const QDate day = lastDay.addDays(-i);
    if (WriteDay(feedDir, day)) written.append(day);
  }
  return written;
}

TByteLines TDemoService::RaceHistory(const QDate& first, const QDate& last) const {
  TByteLines lines;
  for (QDate day = first; day <= last; day = day.addDays(1)) {
    const QList<TVenueCard> cards = MakeDayCards(day, FCalendar, FSeed);
    if (cards.isEmpty()) continue;
    const QList<QList<TDemoEntry>> fields = DemoPopulation::DayFields(FSeed, FCalendar, day);
    for (int r = 0; r < 12; ++r)
      for (qsizetype v = 0; v < cards.size(); ++v)
        lines.append(
            RaceLine(MakeRace(day, cards[v], cards[v].Races[r], fields.value(v * 12 + r), nullptr), '7'));
  }
  return lines;
}

std::function<void(const QString& feedDir, const QDate& day, int seed)> DemoFeedWriter() {
  return
      [](const QString& feedDir, const QDate& day, int seed) { TDemoService(seed).WriteDay(feedDir, day); };
}
