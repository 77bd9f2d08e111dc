#include "race/RaceState.h"

#include "position/PassingOrderConverter.h"
#include "race/RaceMath.h"
#include "text/Errors.h"
#include "text/IntConvert.h"

namespace {

const TRaceEntry* FindRace(const QList<TRaceEntry>& races, const QByteArray& raceLine) {
  for (const TRaceEntry& entry : races)
    if (entry.RaceLine == raceLine) return &entry;
  return nullptr;
}

}  // namespace

TRaceState::TRaceState(const TDayStore& store, const QByteArray& raceLine, const TSettings& settings)
    : RaceLine(raceLine), FSettings(settings) {
  RaceKey = FRace.RaceKey(RaceLine);
  RaceName = FRace.RaceName(RaceLine);
  const TRaceEntry* entry = FindRace(store.Races, RaceLine);
  if (!entry)
    throw TDataError(QStringLiteral("競走 %1 のデータが見つかりません。").arg(QString::fromLatin1(RaceKey)));
  Runners = entry->Runners;
  PositionLine = entry->PositionLine;
  // Horses, sections and tabs all come from the position line's header.
  if (PositionLine.size() < 24)
    throw TDataError(
        QStringLiteral("競走 %1 には展開データがないため表示できません。").arg(QString::fromLatin1(RaceKey)));
  N = LineHorseCount(PositionLine);
  Straight = IsStraightCourse(PositionLine);
  AddSectionTabs(Tabs, store.CornerNames, SectionPresenceHex(PositionLine));
  FillSheet();
  InfoText = InfoPanelText(FRace.CornerOrder(RaceLine, 3));
  PayoutLine = BuildPayoutLine(FPay, store.PayLines, RaceKey);
  Ticker.SetOn(FSettings.Pay, PayoutLine);
}

void TRaceState::FillSheet() {
  Sheet.FillSheet(Runners, PositionLine, FSettings.Distance);
}

void TRaceState::RebuildPositionLine() {
  PositionLine = TPassingOrderConverter::ConvertRace(RaceLine);
  FillSheet();
}

QString TRaceState::Caption() const {
  return RaceTitle(RaceKey) + QStringLiteral("  ") + RaceName;
}

int ThirdCornerTab(const QStringList& tabs) {
  return static_cast<int>(tabs.indexOf(QStringLiteral("３コーナー")));
}
