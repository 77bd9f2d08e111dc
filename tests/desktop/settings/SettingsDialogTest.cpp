// The settings dialog through its widgets: the panels it shows, a slider
// pushed by the keyboard, and what OK and Cancel leave in the settings.
#include "desktop/settings/SettingsDialog.h"
#include "desktop/settings/TrackBar.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString Panel(const TSettingsDialog& dialog, int bar) {
  return dialog.findChild<QLabel*>(u"ValuePanel%1"_s.arg(bar))->text();
}

TTrackBar* Bar(const TSettingsDialog& dialog, int bar) {
  return dialog.findChild<TTrackBar*>(u"TrackBar%1"_s.arg(bar));
}

// Runs work once the dialog is shown modally, then presses the button.
void WhenShown(TSettingsDialog& dialog, std::function<void()> work, const QString& button) {
  QTimer::singleShot(0, &dialog, [&dialog, work = std::move(work), button] {
    work();
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
  });
}

}  // namespace

class TSettingsDialogTest : public QObject {
  Q_OBJECT

private slots:
  void DefaultsShowTheEightPanels() {
    TSettingsDialog dialog;
    dialog.Open(TSettings{});
    const QStringList expected{u"（先頭に固定）"_s, u"1～2馬身差"_s,     u"3～5馬身差"_s, u"6～8馬身差"_s,
                               u"9馬身差以上"_s,    u"（最内に固定）"_s, u"3頭目"_s,      u"4頭目より外"_s};
    for (int bar = 1; bar <= 8; ++bar) QCOMPARE(Panel(dialog, bar), expected[bar - 1]);
  }

  void KeyboardPushOfTheOutBarMovesTheBoldOutBar() {
    TSettingsDialog dialog;
    dialog.Open(TSettings{});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    TTrackBar* out = Bar(dialog, 7);
    for (int i = 0; i < 5; ++i) QTest::keyClick(out, Qt::Key_Right);  // stops at 6
    QCOMPARE(out->value(), 6);
    QCOMPARE(Bar(dialog, 8)->value(), 7);
    QCOMPARE(Panel(dialog, 7), u"6頭目"_s);
    QCOMPARE(Panel(dialog, 8), u"7頭目より外"_s);

    // The highlighted range is painted where the model puts it.
    Bar(dialog, 3)->setFocus();  // keep the focus frame away from the bar looked at
    const QImage image = Bar(dialog, 5)->grab().toImage();
    const QRect band = Bar(dialog, 5)->SelectionRect();
    QVERIFY(!band.isEmpty());
    const QColor highlight = Bar(dialog, 5)->palette().color(QPalette::Active, QPalette::Highlight);
    // Bar 5 covers 9 .. 15 with its handle at 9: the far end of the band is clear.
    QCOMPARE(image.pixelColor(band.right() - 1, band.center().y()), highlight);
  }

  void OkWritesBackAndCancelWritesNothing() {
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString existing = QDir::cleanPath(root.path());
    TSettingsDialog dialog;

    TSettings settings;
    settings.TargetDir = existing + u"/gone/deeper"_s;  // no longer there
    settings.Distance = 5;
    WhenShown(
        dialog,
        [&] {
          QTest::keyClick(Bar(dialog, 2), Qt::Key_Right);  // 先行 3 -> 4
          QTest::mouseClick(dialog.findChild<QWidget*>(u"RadioColours8"_s), Qt::LeftButton);
        },
        u"OKBtn"_s);
    QVERIFY(dialog.Execute(settings));
    QCOMPARE(settings.Senkou, 4);
    QCOMPARE(settings.Display, true);
    QCOMPARE(settings.Distance, 5);  // neither option was chosen
    QCOMPARE(settings.TargetDir, existing);

    const TSettings before = settings;
    WhenShown(
        dialog, [&] { QTest::keyClick(Bar(dialog, 4), Qt::Key_Right); }, u"CancelBtn"_s);
    QVERIFY(!dialog.Execute(settings));
    QCOMPARE(settings, before);
    QCOMPARE(Panel(dialog, 4), u"6～9馬身差"_s);  // what the user did stays until the next opening
    dialog.Open(settings);
    QCOMPARE(Panel(dialog, 4), u"6～8馬身差"_s);
  }

  // The export folder is in view in the tree, its whole path beside it, once the tree has read its way there.
  void ExportFolderIsShownWithItsPath() {
    QTemporaryDir root;
    for (int i = 0; i < 40; ++i) QVERIFY(QDir(root.path()).mkpath(u"d%1"_s.arg(i, 2, 10, QChar(u'0'))));
    const QString target = QDir::cleanPath(root.filePath(u"d39/inner"_s));
    QVERIFY(QDir().mkpath(target));
    TSettingsDialog dialog;
    TSettings settings;
    settings.TargetDir = target;
    dialog.Open(settings);
    dialog.show();
    auto* tree = dialog.findChild<QTreeView*>(u"FolderTree"_s);
    QCOMPARE(dialog.findChild<QLineEdit*>(u"FolderPath"_s)->text(), QDir::toNativeSeparators(target));
    QTRY_VERIFY(tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex())));
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QFont::insertSubstitution(u"ＭＳ Ｐゴシック"_s, u"IPAPGothic"_s);
  QFont font(u"ＭＳ Ｐゴシック"_s);
  font.setPixelSize(12);
  QApplication::setFont(font);
  TSettingsDialogTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "SettingsDialogTest.moc"
