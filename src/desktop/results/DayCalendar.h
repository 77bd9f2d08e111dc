#pragma once

#include "text/LineFile.h"

#include <QDate>
#include <QDialog>

class QCalendarWidget;

// A month calendar to jump to a racing day: racing days are marked (bold, in
// the highlight colour) and only the range that holds them can be shown.
class TDayCalendar : public QDialog {
  Q_OBJECT

public:
  TDayCalendar(const TByteLines& racingDays, const QByteArray& shown, QWidget* parent = nullptr);

  QCalendarWidget* Calendar() const { return FCalendar; }
  // The racing day picked: the one chosen, or the first after it (the last
  // before it when none follows); empty when there are no racing days.
  QByteArray ChosenDay() const;

private:
  TByteLines FDays;
  QCalendarWidget* FCalendar = nullptr;
};
