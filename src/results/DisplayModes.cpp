#include "results/DisplayModes.h"

bool TDisplayModes::PressStart() {
  const bool wasDown = FMode == TDisplayMode::Start;
  FMode = TDisplayMode::Start;
  return wasDown;
}

void TDisplayModes::PressJockey() {
  if (FMode != TDisplayMode::Jockey) {
    FThreshold = 1;
  } else {
    FThreshold = FThreshold < MaxThreshold ? FThreshold + 1 : 1;
  }
  FMode = TDisplayMode::Jockey;
}

QString TDisplayModes::Caption(TDisplayMode mode) {
  switch (mode) {
    case TDisplayMode::Start:
      return QStringLiteral("スタート");
    case TDisplayMode::Corner3:
      return QStringLiteral("３コーナー");
    case TDisplayMode::Corner4:
      return QStringLiteral("４コーナー");
    case TDisplayMode::Jockey:
      return QStringLiteral("騎手");
  }
  return {};
}

QString TDisplayModes::JockeyCaption() const {
  if (FMode != TDisplayMode::Jockey) return Caption(TDisplayMode::Jockey);
  return Caption(TDisplayMode::Jockey) + QString::number(FThreshold);
}

QString TDisplayModes::Hint(TDisplayMode mode) const {
  switch (mode) {
    case TDisplayMode::Start:
      if (FMode != TDisplayMode::Start) return QStringLiteral("枠順表示");
      return FSettings.Display ? QStringLiteral("３色表示に切り替え") : QStringLiteral("８色表示に切り替え");
    case TDisplayMode::Corner3:
      return QStringLiteral("３コーナー位置取り");
    case TDisplayMode::Corner4:
      return QStringLiteral("４コーナー位置取り");
    case TDisplayMode::Jockey:
      if (FMode != TDisplayMode::Jockey) return QStringLiteral("騎手名表示");
      return JockeyCaption() + QStringLiteral("回以上");
  }
  return {};
}

QString TDisplayModes::FilterCaption(TSurfaceFilter filter) {
  switch (filter) {
    case TSurfaceFilter::All:
      return QStringLiteral("全レース");
    case TSurfaceFilter::Turf:
      return QStringLiteral("芝のみ");
    case TSurfaceFilter::Dirt:
      return QStringLiteral("ダートのみ");
  }
  return {};
}

QString TDisplayModes::FilterHint(TSurfaceFilter filter) {
  switch (filter) {
    case TSurfaceFilter::All:
      return QStringLiteral("全レース表示");
    case TSurfaceFilter::Turf:
      return QStringLiteral("芝レースのみ表示");
    case TSurfaceFilter::Dirt:
      return QStringLiteral("ダートレースのみ表示");
  }
  return {};
}
