#include "race/OpenRace.h"

#include "race/CorrectedTimeExport.h"
#include "text/Errors.h"

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

void TOpenRace::DropMarker(int n, std::optional<TDiagramPoint> at) {
  if (at) FEditor.MoveMarker(n, at->X, at->Y);
  FEditor.EndDrag(n);
  emit DiagramChanged();
}

void TOpenRace::MoveOut(int n) {
  FEditor.MoveOut(n);
  emit DiagramChanged();
}

void TOpenRace::PressImage(bool leftButton, int x, int y, bool onRail,
                           const std::function<std::optional<int>(int gap)>& askMargin) {
  FEditor.PressImage(leftButton, x, y, onRail, askMargin);
  emit DiagramChanged();
}

void TOpenRace::WriteSection() {
  FEditor.FinishEdit();
}

void TOpenRace::Rebuild() {
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
}

QString TOpenRace::Export(const TSettings& exportSettings) {
  if (!FState.ConvertedTimeEnabled())
    throw TDataError(QStringLiteral("直線コースのレースは補正タイムを出力できません: %1")
                         .arg(QString::fromLatin1(FState.RaceKey)));
  ExportCorrectedTimes(FState.Entry(), true, exportSettings);
  return ExportFilePath(FState.PositionLine, exportSettings.TargetDir);
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
