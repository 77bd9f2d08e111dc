#include "race/MarginModel.h"

#include <algorithm>

void TMarginModel::SetValue(int value) {
  FValue = std::clamp(value, MinValue, MaxValue);
}

void TMarginModel::Step(bool up) {
  SetValue(up ? FValue + 1 : FValue - 1);
}

void TMarginModel::Wheel(int delta) {
  Step(delta > 0);
}

QString TMarginModel::PanelText() const {
  return QString::number(FValue) + QStringLiteral("馬身差 ");
}
