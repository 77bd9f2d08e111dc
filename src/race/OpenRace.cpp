#include "race/OpenRace.h"

#include "race/CorrectedTimeExport.h"
#include "race/RaceSheet.h"
#include "race/RunRows.h"
#include "text/Errors.h"

using namespace Qt::StringLiterals;

namespace {

// "５番": horse numbers as the race window writes them in its texts.
QString HorseText(int n) {
  QString digits = QString::number(n);
  for (QChar& c : digits) c = QChar(char16_t(c.unicode() - u'0' + u'０'));
  return digits + u"番"_s;
}

}  // namespace

TOpenRace::TOpenRace(const TDayStore& store, const QByteArray& raceLine, const TSettings& settings,
                     QObject* parent)
    : QObject(parent),
      FState(store, raceLine, settings),
      FDiagram(DiagramWidth, DiagramHeight),
      FEditor(FDiagram, FState.PositionLine, [this] { RefillSheet(); }) {
  FDiagram.CreateMarkers(FState.PositionLine);
  FInfoText = FState.InfoText;
  if (FState.Straight) return;
  FInitialTab = FDiagram.SelectInitialTab(FState.PositionLine, FState.Tabs);
  if (FInitialTab >= 0) {
    const int corner = TTrackDiagram::CaptionSection(FState.Tabs[FInitialTab]).Corner;
    FInfoText = TTrackDiagram::InfoPanelText(FRace, FState.RaceLine, corner);
  }
}

QString TOpenRace::DrawnCaption(const QString& tabCaption) const {
  const bool drawn = !tabCaption.isEmpty() && FDiagram.SelectedSection != 0 &&
                     TTrackDiagram::CaptionSection(tabCaption).Section == FDiagram.SelectedSection;
  return drawn ? tabCaption : QString();
}

void TOpenRace::ShowSection(const QString& caption) {
  const TSectionCaption shown = FDiagram.ShowCaption(FState.PositionLine, caption);
  if (shown.Corner == 0) return;
  // The markers stand anew: a blink of the old section ends here.
  StopBlink();
  FInfoText = TTrackDiagram::InfoPanelText(FRace, FState.RaceLine, shown.Corner);
  emit SectionShown();
}

void TOpenRace::DropMarker(int n, std::optional<TDiagramPoint> at, int overHorse) {
  const QByteArray before = FState.PositionLine;
  if (at && (at->X < 0 || at->Y < 0 || at->X >= DiagramWidth || at->Y >= DiagramHeight)) {
    emit StatusText(MessagePanel(), u"図の外には置けません。"_s);
  } else if (at && overHorse > 0 && overHorse != n) {
    Explain(n, FDiagram.Rows[overHorse - 1], FDiagram.Lanes[overHorse - 1], TMoveRefusal::Taken);
  } else if (at) {
    const auto spot = FEditor.SpotAt(at->X, at->Y);
    const auto [row, lane] = spot.value_or(std::pair{-1, -1});
    Explain(n, row, lane, spot ? FEditor.MoveTo(n, row, lane) : TMoveRefusal::Infield);
  }
  FEditor.EndDrag(n);
  emit DiagramChanged();
  Record(HorseText(n) + u"の移動"_s, before);
}

void TOpenRace::MoveOut(int n) {
  const QByteArray before = FState.PositionLine;
  if (n >= 1 && n <= std::min(FDiagram.N, TTrackDiagram::MaxHorses)) {
    const int row = FDiagram.Rows[n - 1], lane = FDiagram.Lanes[n - 1] + 1;
    Explain(n, row, lane, FEditor.CheckMove(n, row, lane));
  }
  FEditor.MoveOut(n);
  emit DiagramChanged();
  Record(HorseText(n) + u"を外へ"_s, before);
}

void TOpenRace::PressImage(bool leftButton, int x, int y, bool onRail,
                           const std::function<std::optional<int>(int gap)>& askMargin) {
  const QByteArray before = FState.PositionLine;
  FEditor.PressImage(leftButton, x, y, onRail, askMargin);
  emit DiagramChanged();
  Record(u"着差の変更"_s, before);
}

void TOpenRace::Explain(int n, int row, int lane, TMoveRefusal refusal) {
  QString text;
  switch (refusal) {
    case TMoveRefusal::None:
    case TMoveRefusal::NoHorse:
      break;
    case TMoveRefusal::Infield:
      text = u"内馬場には置けません。"_s;
      break;
    case TMoveRefusal::Taken:
      text = u"その位置にはほかの馬がいます。"_s;
      for (int i = 0; i < std::min(FDiagram.N, TTrackDiagram::MaxHorses); ++i)
        if (i != n - 1 && FDiagram.Rows[i] == row && FDiagram.Lanes[i] == lane)
          text = u"その位置には%1がいます。"_s.arg(HorseText(i + 1));
      break;
    case TMoveRefusal::PastTheLanes:
      text = lane < 0 ? u"これより内へは動かせません。"_s : u"これより外へは動かせません。"_s;
      break;
    case TMoveRefusal::PastTheFront:
      text = u"これより前へは動かせません。"_s;
      break;
    case TMoveRefusal::FieldTooLong:
      text = u"先頭から最後方までが99馬身を超えるため動かせません。"_s;
      break;
  }
  emit StatusText(MessagePanel(), text);
}

void TOpenRace::Select(int n) {
  const bool shown =
      n >= 1 && n <= std::min(FDiagram.N, TTrackDiagram::MaxHorses) && FDiagram.Markers[n - 1].Visible;
  FSelected = shown ? n : 0;
  emit DiagramChanged();
}

void TOpenRace::SelectNext(bool backwards) {
  QList<int> order;
  for (int row = 1; row < TRaceSheet::RowCount; ++row) {
    const int n = FState.Sheet.Cell(TRaceSheet::NumberColumn, row).trimmed().toInt();
    if (n >= 1 && n <= std::min(FDiagram.N, TTrackDiagram::MaxHorses) && FDiagram.Markers[n - 1].Visible)
      order.append(n);
  }
  if (order.isEmpty()) return Select(0);
  const qsizetype at = order.indexOf(FSelected);
  const qsizetype count = order.size();
  if (at < 0) return Select(backwards ? order.last() : order.first());
  Select(order[(at + (backwards ? count - 1 : 1)) % count]);
}

void TOpenRace::MoveSelected(int rows, int lanes) {
  const int n = FSelected;
  if (n == 0 || !FDiagram.Markers[n - 1].Visible) return;
  const QByteArray before = FState.PositionLine;
  const int row = FDiagram.Rows[n - 1] + rows, lane = FDiagram.Lanes[n - 1] + lanes;
  Explain(n, row, lane, FEditor.MoveTo(n, row, lane));
  FEditor.EndDrag(n);
  emit DiagramChanged();
  Record(HorseText(n) + u"の移動"_s, before);
}

void TOpenRace::SetMarginOfSelected(const std::function<std::optional<int>(int gap)>& askMargin) {
  if (FSelected == 0) return;
  const std::optional<TMarginGap> gap = FEditor.GapInFrontOf(FSelected);
  if (!gap) {
    emit StatusText(MessagePanel(), u"%1の前に馬がいないため着差はありません。"_s.arg(HorseText(FSelected)));
    return;
  }
  const QByteArray before = FState.PositionLine;
  FEditor.AskAndApplyMargin(*gap, askMargin);
  emit DiagramChanged();
  Record(u"着差の変更"_s, before);
}

void TOpenRace::Record(const QString& text, const QByteArray& before) {
  if (FState.PositionLine != before) emit Edited(text, FDiagram.SelectedSection, before, FState.PositionLine);
}

void TOpenRace::WriteSection() {
  FEditor.FinishEdit();
}

void TOpenRace::Rebuild() {
  const QByteArray before = FState.PositionLine;
  FState.RebuildPositionLine();
  // The markers stand anew: a blink ends here.
  StopBlink();
  if (!FState.Straight) {
    // The section drawn before; the third corner when none was.
    FDiagram.DrawSection(FState.PositionLine, FDiagram.SelectedSection ? FDiagram.SelectedSection : 3);
    emit SectionShown();
  }
  RefillSheet();
  emit StatusText(MessagePanel(), QStringLiteral("通過順から作り直しました。"));
  Record(u"通過順からの作り直し"_s, before);
}

void TOpenRace::RestoreLine(const QByteArray& line) {
  FState.PositionLine = line;
  StopBlink();
  if (!FState.Straight && FDiagram.SelectedSection != 0) {
    FDiagram.DrawSection(FState.PositionLine, FDiagram.SelectedSection);
    emit SectionShown();
  }
  RefillSheet();
  emit DiagramChanged();
}

QString TOpenRace::Export(const TSettings& exportSettings) {
  if (!FState.ConvertedTimeEnabled())
    throw TDataError(QStringLiteral("直線コースのレースは補正タイムを出力できません: %1")
                         .arg(QString::fromLatin1(FState.RaceKey)));
  ExportCorrectedTimes(FState.Entry(), true, exportSettings);
  return ExportFilePath(FState.PositionLine, exportSettings.TargetDir);
}

QString TOpenRace::SheetRowTip(int row) const {
  if (row < 1 || row >= TRaceSheet::RowCount) return {};
  const TRunRow runner = SheetRunRow(FState, row);
  if (runner.Name.isEmpty()) return {};
  QString section;
  for (const QString& caption : FState.Tabs)
    if (FDiagram.SelectedSection != 0 &&
        TTrackDiagram::CaptionSection(caption).Section == FDiagram.SelectedSection)
      section = caption;
  const auto [spotRow, lane] = FDiagram.ShownSpot(runner.HorseNumber);
  return RunRowTip(runner, FState.Straight, section, spotRow, lane);
}

QString TOpenRace::HorseTip(int n) const {
  for (int row = 1; row < TRaceSheet::RowCount; ++row)
    if (n > 0 && FState.Sheet.Cell(TRaceSheet::NumberColumn, row).trimmed().toInt() == n)
      return SheetRowTip(row);
  return {};
}

void TOpenRace::HighlightHorse(int n) {
  FHovered = n;
  FState.Sheet.HighlightHorse = TTrackDiagram::HighlightCode(n);
  emit SheetChanged();
}

QByteArray TOpenRace::ExchangeHighlight(const QByteArray& code) {
  return std::exchange(FState.Sheet.HighlightHorse, code);
}

void TOpenRace::PressSheet(int column, int row) {
  const auto visible = [this](int horse) {
    return horse >= 1 && horse <= TTrackDiagram::MaxHorses && FDiagram.Markers[horse - 1].Visible;
  };
  const std::optional<TMarkerBlink::TShow> restore = FState.Blink.Press(FState.Sheet, column, row, visible);
  if (restore && restore->Horse >= 1 && restore->Horse <= TTrackDiagram::MaxHorses)
    FDiagram.Markers[restore->Horse - 1].Visible = restore->Visible;
  emit BlinkRunning(FState.Blink.Running());
  emit DiagramChanged();
}

void TOpenRace::BlinkStep() {
  const int horse = FState.Blink.Horse();
  const bool inRange = horse >= 1 && horse <= TTrackDiagram::MaxHorses;
  const std::optional<TMarkerBlink::TShow> show =
      FState.Blink.Tick(inRange && FDiagram.Markers[horse - 1].Visible);
  if (show && inRange) FDiagram.Markers[show->Horse - 1].Visible = show->Visible;
  if (!FState.Blink.Running()) emit BlinkRunning(false);
  emit DiagramChanged();
}

void TOpenRace::SetTickerOn(bool on) {
  FState.Ticker.SetOn(on, FState.PayoutLine);
  emit StatusText(0, on ? FState.Ticker.Text() : QString());
}

void TOpenRace::TickerStep() {
  if (!FState.Ticker.On()) return;
  FState.Ticker.Tick();
  emit StatusText(0, FState.Ticker.Text());
}

void TOpenRace::RefillSheet() {
  FState.FillSheet();
  // Refilling forgets the outline; the pointer may still rest on a marker.
  FState.Sheet.HighlightHorse = TTrackDiagram::HighlightCode(FHovered);
  emit SheetChanged();
}

void TOpenRace::StopBlink() {
  FState.Blink.Stop();
  emit BlinkRunning(false);
}
