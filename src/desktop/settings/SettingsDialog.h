#pragma once

#include "settings/Settings.h"
#include "settings/SettingsModel.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QLineEdit;
class QTreeView;
class TTrackBar;

// The settings dialog. Created once; its controls keep their state between
// openings. Every change goes through TSettingsModel; the widgets show it.
class TSettingsDialog : public QDialog {
  Q_OBJECT

public:
  explicit TSettingsDialog(QWidget* parent = nullptr);

  // Opens modally on settings; with "OK" writes the dialog's values back into
  // settings and returns true, with "キャンセル" leaves them and returns false.
  bool Execute(TSettings& settings);

  // The two halves of Execute: the opening, and the write-back of "OK".
  void Open(const TSettings& settings);
  void WriteBack(TSettings& settings) const;

  // The folder the tree shows as current; the model's folder when none.
  QString CurrentFolder() const;

  // The folder itself when it exists, else its nearest existing parent.
  static QString NearestExistingFolder(const QString& folder);

private:
  void BuildGeneralTab(QWidget* page);
  void BuildDisplayTab(QWidget* page);
  void FillDrives();
  void MoveTree(const QString& folder);
  // Expands the tree down to the folder being shown and scrolls it into view.
  void RevealFolder();
  void ShowVolume(const QString& root);
  void SyncFromModel();
  void BarMoved(int bar, int position);
  void AfterChange();
  void OkClick();

  TSettingsModel FModel;
  bool FSyncing = false;

  QTabWidget* FTabs = nullptr;
  QCheckBox* FExportCheck = nullptr;  // 補正タイムを出力する
  QCheckBox* FPayoutCheck = nullptr;  // 払い戻しの表示をする
  // Two radio buttons side by side in a group box of their own.
  struct TTwoChoices {
    QButtonGroup* Group = nullptr;
    QRadioButton* First = nullptr;
    QRadioButton* Second = nullptr;
    // Checks the first (1), the second (2) or neither (0).
    void Show(int which) const;
  };
  TTwoChoices MakeTwoChoices(QWidget* page, const QString& title, int top, const QString& first,
                             const QString& firstName, const QString& second, const QString& secondName,
                             std::function<void(bool first)> chosen);

  TTwoChoices FLoss;     // ２ｍ, ３ｍ
  TTwoChoices FColours;  // ８色, ３色
  QGroupBox* FFolderGroup = nullptr;
  QComboBox* FDrives = nullptr;
  QTreeView* FFolderTree = nullptr;
  QFileSystemModel* FFolders = nullptr;
  QLineEdit* FFolderPath = nullptr;  // the chosen folder's whole path
  QString FShownFolder;              // scrolled to again as the tree loads its way there
  std::array<TTrackBar*, TSettingsModel::BarCount> FBars{};
  std::array<QLabel*, TSettingsModel::BarCount> FValues{};
  QPushButton* FOkButton = nullptr;
  QPushButton* FCancelButton = nullptr;
};
