#include "desktop/results/BiasView.h"

#include "desktop/widgets/UiColour.h"
#include "desktop/widgets/UiSupport.h"
#include "records/DateKey.h"
#include "settings/BandRules.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int FooterHeight = 22;
// Tall enough for two venues at once; more scroll.
constexpr int MaxViewHeight = 620;
const QColor LineColour(160, 160, 160);
const QColor TitleColour(224, 224, 224);

QString DayCaption(const QByteArray& date) {
  const QDate day = DateOfKey(date);
  return day.isValid() ? u"%1年%2月%3日"_s.arg(day.year()).arg(day.month()).arg(day.day()) : QString();
}

QString PeriodCaption(const QByteArray& from, const QByteArray& to) {
  return from == to ? DayCaption(from) : u"%1～%2"_s.arg(DayCaption(from), DayCaption(to));
}

// The rows under the column titles, in the order painted.
struct TCountRow {
  TBiasCornerIndex Corner;
  bool Placed;
};
constexpr TCountRow CountRows[] = {{Corner4, true}, {Corner4, false}, {Corner3, true}, {Corner3, false}};

QString RowTitle(const TCountRow& row) {
  return (row.Corner == Corner4 ? u"４コーナー "_s : u"３コーナー "_s) +
         (row.Placed ? u"上位3頭"_s : u"全出走馬"_s);
}

class TBiasTable : public QWidget {
public:
  TBiasTable(const TBiasView& view, QWidget* parent) : QWidget(parent), FView(view) {}

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    const QList<TBiasGroup>& groups = FView.Groups();
    const int width = TBiasView::CellRect(0, 0, TBiasView::ColumnCount - 1).right() - TBiasView::Margin + 1;
    if (groups.isEmpty()) {
      painter.setFont(RavekFont(12));
      painter.drawText(QRect(TBiasView::Margin, TBiasView::Margin, width, TBiasView::HeadingHeight),
                       Qt::AlignLeft | Qt::AlignVCenter,
                       (FView.From() == FView.To() ? u"この日"_s : u"この期間"_s) +
                           u"は対象のレースがありません（障害戦と直線コースは除きます）。"_s);
      return;
    }
    for (int g = 0; g < groups.size(); ++g) {
      const TBiasGroup& group = groups[g];
      const QRect heading(TBiasView::Margin, TBiasView::BlockTop(g), width, TBiasView::HeadingHeight);
      painter.setFont(RavekFont(13, true));
      painter.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter,
                       u"%1 %2　%3レース　判定: %4"_s.arg(group.Venue, group.SurfaceLabel())
                           .arg(group.Races)
                           .arg(group.Verdict));
      painter.setFont(RavekFont(12));
      Cell(painter, TBiasView::CellRect(g, 0, 0), TitleColour, QString(), Qt::AlignCenter);
      for (int b = 0; b < BandCount; ++b)
        Cell(painter, TBiasView::CellRect(g, 0, 1 + b), ToQColor(BandColour(AllBands[b])),
             BandLabel(AllBands[b]), Qt::AlignCenter);
      for (int l = 0; l < LaneGroupCount; ++l)
        Cell(painter, TBiasView::CellRect(g, 0, 1 + BandCount + l), TitleColour,
             LaneGroupLabel(TLaneGroup(l)), Qt::AlignCenter);
      for (int r = 0; r < 4; ++r) {
        const TCountRow& row = CountRows[r];
        const TBiasCorner& corner = group.Corners[row.Corner];
        const TBiasCounts& counts = row.Placed ? corner.Placed : corner.Field;
        painter.setFont(RavekFont(12, row.Placed));
        Cell(painter, TBiasView::CellRect(g, 1 + r, 0), TitleColour, u" "_s + RowTitle(row),
             Qt::AlignLeft | Qt::AlignVCenter);
        painter.setFont(RavekFont(12));
        for (int b = 0; b < BandCount; ++b)
          Cell(painter, TBiasView::CellRect(g, 1 + r, 1 + b), ToQColor(BandColour(AllBands[b])),
               BiasCountText(counts.Bands[b], counts.Horses), Qt::AlignCenter);
        for (int l = 0; l < LaneGroupCount; ++l)
          Cell(painter, TBiasView::CellRect(g, 1 + r, 1 + BandCount + l), palette().color(QPalette::Base),
               BiasCountText(counts.Lanes[l], counts.Horses), Qt::AlignCenter);
      }
    }
    painter.setFont(RavekFont(12));
    painter.drawText(
        QRect(TBiasView::Margin, TBiasView::BlockTop(int(groups.size())), width, FooterHeight),
        Qt::AlignLeft | Qt::AlignVCenter,
        u"頭数と割合。判定は４コーナーの上位3頭（1着3・2着2・3着1の重み）と全出走馬の割合の差から。"_s);
  }

private:
  static void Cell(QPainter& painter, const QRect& rect, const QColor& fill, const QString& text, int align) {
    painter.fillRect(rect, fill);
    const QPen pen = painter.pen();
    painter.setPen(LineColour);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.setPen(pen);
    // Counts over a long period outgrow the column: the text gets smaller, not cut.
    const QFont kept = painter.font();
    QFont font = kept;
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(text) > rect.width() - 2)
      font.setPixelSize(font.pixelSize() - 1);
    painter.setFont(font);
    painter.drawText(rect, align, text);
    painter.setFont(kept);
  }

  const TBiasView& FView;
};

}  // namespace

TBiasView::TBiasView(QWidget* parent) : QWidget(parent, Qt::Tool) {
  setObjectName(u"BiasView"_s);
  setFont(RavekFont(12));
  FBar = new QWidget(this);
  auto* bar = new QHBoxLayout(FBar);
  bar->setContentsMargins(Margin, 4, Margin, 4);
  bar->addWidget(new QLabel(u"期間"_s, FBar));
  FPeriod = new QComboBox(FBar);
  FPeriod->setObjectName(u"BiasPeriod"_s);
  FPeriod->addItems({u"この日"_s, u"この開催"_s, u"この月"_s, u"日付を指定"_s});
  bar->addWidget(FPeriod);
  for (QDateEdit** edit : {&FFromEdit, &FToEdit}) {
    *edit = new QDateEdit(FBar);
    (*edit)->setCalendarPopup(true);
    (*edit)->setDisplayFormat(u"yyyy/MM/dd"_s);
    bar->addWidget(*edit);
    if (*edit == FFromEdit) bar->addWidget(new QLabel(u"～"_s, FBar));
  }
  FFromEdit->setObjectName(u"BiasFrom"_s);
  FToEdit->setObjectName(u"BiasTo"_s);
  bar->addStretch();
  connect(FPeriod, &QComboBox::activated, this, [this] { emit PeriodChanged(); });
  // Typing a date means choosing the dates.
  for (QDateEdit* edit : {FFromEdit, FToEdit})
    connect(edit, &QDateEdit::dateChanged, this, [this] {
      FPeriod->setCurrentIndex(int(TBiasPeriod::Chosen));
      emit PeriodChanged();
    });

  FScroll = new QScrollArea(this);
  FScroll->setObjectName(u"BiasScroll"_s);
  FScroll->setWidgetResizable(false);
  FScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FTable = new TBiasTable(*this, FScroll);
  FTable->setObjectName(u"BiasTable"_s);
  FScroll->setWidget(FTable);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(FBar);
  layout->addWidget(FScroll);
  FitToTable();
}

void TBiasView::ShowGroups(const QList<TBiasGroup>& groups, const QByteArray& from, const QByteArray& to) {
  FGroups = groups;
  FFrom = from;
  FTo = to;
  {
    const QSignalBlocker fromBlocker(FFromEdit), toBlocker(FToEdit);
    FFromEdit->setDate(DateOfKey(from));
    FToEdit->setDate(DateOfKey(to));
  }
  setWindowTitle(u"馬場傾向  %1"_s.arg(PeriodCaption(from, to)));
  FitToTable();
  FTable->update();
}

void TBiasView::SetDateRange(const QByteArray& first, const QByteArray& last) {
  const QSignalBlocker fromBlocker(FFromEdit), toBlocker(FToEdit);
  for (QDateEdit* edit : {FFromEdit, FToEdit}) edit->setDateRange(DateOfKey(first), DateOfKey(last));
}

TBiasPeriod TBiasView::Period() const {
  return TBiasPeriod(FPeriod->currentIndex());
}

void TBiasView::SetPeriod(TBiasPeriod period) {
  FPeriod->setCurrentIndex(int(period));
}

std::pair<QByteArray, QByteArray> TBiasView::FieldDates() const {
  return {DateKey(FFromEdit->date()), DateKey(FToEdit->date())};
}

int TBiasView::BlockTop(int group) {
  return Margin + group * (HeadingHeight + BlockRows * RowHeight + GroupGap);
}

QRect TBiasView::CellRect(int group, int row, int column) {
  const int top = BlockTop(group) + HeadingHeight + row * RowHeight;
  if (column == 0) return QRect(Margin, top, LabelWidth, RowHeight);
  return QRect(Margin + LabelWidth + (column - 1) * ColumnWidth, top, ColumnWidth, RowHeight);
}

void TBiasView::FitToTable() {
  const int width = CellRect(0, 0, ColumnCount - 1).right() + 1 + Margin;
  const int height =
      FGroups.isEmpty() ? 2 * Margin + HeadingHeight : BlockTop(int(FGroups.size())) + FooterHeight + Margin;
  if (FTable->size() == QSize(width, height)) return;
  FTable->resize(width, height);
  // Room for the scroll bar always, so the width does not jump when it comes.
  const int frame = 2 * FScroll->frameWidth();
  resize(width + frame + FScroll->verticalScrollBar()->sizeHint().width(),
         FBar->sizeHint().height() + std::min(height, MaxViewHeight) + frame);
}

void TBiasView::closeEvent(QCloseEvent* event) {
  event->accept();
  emit Closed();
}
