#include "desktop/archive/RunTable.h"

#include "desktop/widgets/UiSupport.h"

#include <QDate>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

QString Spot(int row, int lane) {
  return row > 0 ? u"%1-%2"_s.arg(row).arg(lane) : u"-"_s;
}

QString DateText(const QByteArray& raceKey) {
  return QDate::fromString(QString::fromLatin1(raceKey.left(8)), u"yyyyMMdd"_s).toString(u"yyyy/MM/dd"_s);
}

}  // namespace

TRunTable::TRunTable(bool wideTrips, QObject* parent) : QAbstractTableModel(parent), FWideTrips(wideTrips) {}

void TRunTable::SetRuns(const QList<TRunRow>& runs) {
  QList<TWideTrip> trips;
  for (const TRunRow& run : runs) trips.append({run, {}});
  SetTrips(trips);
}

void TRunTable::SetTrips(const QList<TWideTrip>& trips) {
  beginResetModel();
  FTrips = trips;
  endResetModel();
}

int TRunTable::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(FTrips.size());
}

int TRunTable::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : (FWideTrips ? ColumnCount : ConvertedRank);
}

QVariant TRunTable::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= FTrips.size()) return {};
  const TRunRow& run = FTrips[index.row()].Run;
  const TRunRow& next = FTrips[index.row()].Next;
  if (role == Qt::TextAlignmentRole) {
    const bool number = index.column() == Race || index.column() == Number || index.column() == Place ||
                        index.column() == Speed || index.column() == GroundLost ||
                        index.column() == AddedTime || index.column() == ConvertedRank;
    return int((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  }
  // Sorting takes numbers where the column holds them, and the race key for a date.
  if (role == Qt::UserRole) {
    switch (index.column()) {
      case Date:
        return QString::fromLatin1(run.RaceKey);
      case Race:
        return run.RaceNumber;
      case Number:
        return run.HorseNumber;
      case Place:
        return run.Placing > 0 ? run.Placing : 99;
      case Speed:
        return run.Speed.toInt();
      case GroundLost:
        return run.GroundLost;
      case AddedTime:
        return run.AddedTime.toInt();
      case ConvertedRank:
        return run.ConvertedRank;
      case NextRun:
        return QString::fromLatin1(next.RaceKey);
      default:
        break;
    }
  }
  if (role != Qt::DisplayRole && role != Qt::UserRole) return {};
  switch (index.column()) {
    case Date:
      return DateText(run.RaceKey);
    case Venue:
      return run.Venue;
    case Race:
      return u"%1R"_s.arg(run.RaceNumber);
    case Course:
      return run.Course;
    case Going:
      return run.Going;
    case Number:
      return run.HorseNumber;
    case Name:
      return run.Name;
    case Jockey:
      return run.Jockey;
    case Place:
      return run.Place;
    case RunTime:
      return run.RunTime;
    case Converted:
      return run.Converted;
    case Speed:
      return run.Speed;
    case Corner3:
      return Spot(run.Row3, run.Lane3);
    case Corner4:
      return Spot(run.Row4, run.Lane4);
    case GroundLost:
      return run.GroundLost;
    case AddedTime:
      return run.AddedTime;
    case ConvertedRank:
      return run.ConvertedRank;
    case NextRun:
      return next.RaceKey.isEmpty() ? QString()
                                    : u"%1 %2%3R %4"_s.arg(DateText(next.RaceKey), next.Venue)
                                          .arg(next.RaceNumber)
                                          .arg(next.Place);
    default:
      return {};
  }
}

QVariant TRunTable::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char16_t* const Titles[] = {u"日付", u"場",   u"R",    u"コース", u"馬場",   u"番",
                                           u"馬名", u"騎手", u"着",   u"走破",   u"実走",   u"m/min",
                                           u"３角", u"４角", u"ロス", u"付加",   u"実走順", u"次走"};
  return section >= 0 && section < ColumnCount ? QString::fromUtf16(Titles[section]) : QVariant();
}

QTableView* MakeRunView(TRunTable* table, QWidget* parent, QSortFilterProxyModel** proxy) {
  auto* sorter = new QSortFilterProxyModel(parent);
  sorter->setSourceModel(table);
  sorter->setSortRole(Qt::UserRole);
  auto* view = new QTableView(parent);
  view->setModel(sorter);
  view->setSortingEnabled(true);
  view->sortByColumn(TRunTable::Date, Qt::DescendingOrder);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->verticalHeader()->hide();
  view->verticalHeader()->setDefaultSectionSize(20);
  view->setFont(RavekFont(12));
  view->horizontalHeader()->setFont(RavekFont(12));
  view->setAlternatingRowColors(true);
  if (proxy != nullptr) *proxy = sorter;
  return view;
}
