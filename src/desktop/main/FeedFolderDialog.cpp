#include "desktop/main/FeedFolderDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

TFeedFolderDialog::TFeedFolderDialog(QWidget* parent) : QDialog(parent), FFolder(new QLineEdit(this)) {
  setObjectName(u"FeedFolderDialog"_s);
  setWindowTitle(u"配信フォルダの設定"_s);
  FFolder->setObjectName(u"FeedFolder"_s);
  FFolder->setPlaceholderText(u"（空欄: デモ配信 DemoFeed）"_s);
  FFolder->setMinimumWidth(320);

  auto* browse = new QPushButton(u"参照..."_s, this);
  browse->setObjectName(u"Browse"_s);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString dir = QFileDialog::getExistingDirectory(this, u"配信フォルダ"_s, FFolder->text());
    if (!dir.isEmpty()) FFolder->setText(QDir::toNativeSeparators(dir));
  });
  auto* demo = new QPushButton(u"デモ配信に戻す"_s, this);
  demo->setObjectName(u"UseDemo"_s);
  connect(demo, &QPushButton::clicked, FFolder, &QLineEdit::clear);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(u"OK"_s, QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(u"キャンセル"_s, QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(u"データを読み込む配信フォルダ（0B12 フォルダを含むフォルダ）:"_s, this), 0, 0,
                    1, 3);
  layout->addWidget(FFolder, 1, 0);
  layout->addWidget(browse, 1, 1);
  layout->addWidget(demo, 1, 2);
  layout->addWidget(buttons, 2, 0, 1, 3);
  setFixedSize(sizeHint());
}

void TFeedFolderDialog::Load(const TLinkSettings& settings) {
  FFolder->setText(settings.FeedFolder);
}

void TFeedFolderDialog::Store(TLinkSettings& settings) const {
  settings.FeedFolder = FFolder->text().trimmed();
}

bool TFeedFolderDialog::Edit(QWidget* parent, TLinkSettings& settings) {
  TFeedFolderDialog dialog(parent);
  dialog.Load(settings);
  if (dialog.exec() != QDialog::Accepted) return false;
  TLinkSettings edited = settings;
  dialog.Store(edited);
  if (edited == settings) return false;
  settings = edited;
  return true;
}
