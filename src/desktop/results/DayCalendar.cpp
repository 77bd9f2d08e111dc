#include "desktop/results/DayCalendar.h"

#include "records/DateKey.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

TDayCalendar::TDayCalendar(const TByteLines& racingDays, const QByteArray& shown, QWidget* parent)
    : QDialog(parent), FDays(racingDays) {
  setObjectName(u"DayCalendar"_s);
  setWindowTitle(u"開催日を選ぶ"_s);
  FCalendar = new QCalendarWidget(this);
  FCalendar->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  FCalendar->setGridVisible(true);
  FCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  QTextCharFormat racing;
  racing.setFontWeight(QFont::Bold);
  racing.setForeground(palette().color(QPalette::Highlight));
  racing.setBackground(QColor(255, 244, 200));
  for (const QByteArray& day : FDays) FCalendar->setDateTextFormat(DateOfKey(day), racing);
  if (!FDays.isEmpty()) {
    FCalendar->setDateRange(DateOfKey(FDays.first()), DateOfKey(FDays.last()));
    FCalendar->setSelectedDate(DateOfKey(shown.isEmpty() ? FDays.last() : shown));
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(u"表示"_s, QDialogButtonBox::AcceptRole);
  buttons->addButton(u"キャンセル"_s, QDialogButtonBox::RejectRole);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FCalendar);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(FCalendar, &QCalendarWidget::activated, this, &QDialog::accept);
}

QByteArray TDayCalendar::ChosenDay() const {
  if (FDays.isEmpty()) return {};
  const QByteArray chosen = DateKey(FCalendar->selectedDate());
  const auto next = std::lower_bound(FDays.cbegin(), FDays.cend(), chosen);
  return next != FDays.cend() ? *next : FDays.last();
}
