#pragma once

#include <QString>

// The value of the margin dialog: a whole number of lengths from 1 to 30, held
// within range whatever it is set to.
class TMarginModel {
public:
  static constexpr int MinValue = 1;
  static constexpr int MaxValue = 30;

  int Value() const { return FValue; }
  void SetValue(int value);
  // The right arrow raises the value, the left one lowers it.
  void Step(bool up);
  // A wheel turned away from the user (positive delta) raises the value; any
  // other turn lowers it.
  void Wheel(int delta);
  // "5馬身差 "
  QString PanelText() const;

private:
  int FValue = MinValue;
};
