#pragma once

#include <QByteArray>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QTableView;
class TRunTable;
class TSession;

// Finds horses or jockeys in the archive by part of the name (kana,
// full- or half-width alike) and lists every run of the one picked; a double
// click on a run asks for its race.
class TSearchWindow : public QWidget {
  Q_OBJECT

public:
  static constexpr int MatchLimit = 200;

  explicit TSearchWindow(TSession& session, QWidget* parent = nullptr);

  QLineEdit* NameEdit() const { return FNameEdit; }
  QRadioButton* JockeyButton() const { return FJockeyButton; }
  QListWidget* Matches() const { return FMatches; }
  QTableView* Runs() const { return FRuns; }
  const TRunTable& Table() const { return *FTable; }

signals:
  void RaceRequested(const QByteArray& raceKey);

private:
  void Search();
  void ShowRuns();

  TSession& FSession;
  QLineEdit* FNameEdit = nullptr;
  QRadioButton* FJockeyButton = nullptr;
  QListWidget* FMatches = nullptr;
  QLabel* FCaption = nullptr;
  TRunTable* FTable = nullptr;
  QTableView* FRuns = nullptr;
};
