// Pictures of the race window on a demo week, saved into the folder given as
// the first argument.

#include "desktop/race/DiagramView.h"
#include "desktop/race/MarginDialog.h"
#include "desktop/race/RaceWindow.h"
#include "desktop/race/RaceWindowDemo.h"
#include "race/DiagramEditor.h"
#include "race/OpenRace.h"
#include "support/HorseWithRoom.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

class TShooter {
public:
  TShooter(TSession& session, QString outDir) : FSession(session), FOutDir(std::move(outDir)) {
    FArea.resize(800, 560);
    FArea.show();
  }

  TRaceWindow* Open(const QByteArray& raceLine) {
    TRaceWindow* window = OpenRaceWindow(FSession, raceLine, &FArea);
    FArea.resize(window->parentWidget()->size());
    Settle();
    return window;
  }

  void SelectTab(TRaceWindow* window, const QString& caption) {
    for (int i = 0; i < window->Tabs()->count(); ++i)
      if (window->Tabs()->tabText(i) == caption) window->Tabs()->setCurrentIndex(i);
    Settle();
  }

  // The area's picture with the tooltip shown, a window of its own, drawn where
  // it shows and kept whole inside the picture.
  QPixmap GrabWithToolTip() {
    QPixmap picture = Grab();
    for (QWidget* tip : QApplication::topLevelWidgets()) {
      if (tip->objectName() != u"qtooltip_label"_s || !tip->isVisible()) continue;
      const QPixmap tipPicture = tip->grab();
      QPoint corner = tip->pos() - FArea.mapToGlobal(QPoint(0, 0));
      corner.setX(std::clamp(corner.x(), 0, std::max(0, picture.width() - tipPicture.width())));
      corner.setY(std::clamp(corner.y(), 0, std::max(0, picture.height() - tipPicture.height())));
      QPainter painter(&picture);
      painter.drawPixmap(corner, tipPicture);
    }
    return picture;
  }

  QPixmap Grab() {
    Settle();
    return FArea.grab();
  }

  bool Save(const QPixmap& picture, const QString& name) {
    const QString path = QDir(FOutDir).filePath(name);
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
  }

  void CloseAll() {
    FArea.closeAllSubWindows();
    Settle();
  }

  static void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }

private:
  TSession& FSession;
  QString FOutDir;
  QMdiArea FArea;
};

void MoveMouse(QWidget* widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  UseWindowFont();
  QDir().mkpath(QString::fromLocal8Bit(argv[1]));
  QTemporaryDir dir;
  TDemoSession demo(dir.path());
  TSession& session = demo.Session;
  TSettings settings = session.Settings();
  settings.UseTG = true;
  session.SetSettings(settings);
  TShooter shooter(session, QString::fromLocal8Bit(argv[1]));
  bool ok = true;

  // A right-handed turf race at the third corner, with a replay on offer.
  const QByteArray turf = FindRace(session, [](const TRaceShape& race) {
    return !race.Straight() && !race.LeftHanded() && !race.Dirt() && race.ThirdCorner() && race.Sections == 7;
  });
  {
    TRaceRecord race;
    const QString movies = demo.Link.FeedDir() + u"/movies"_s;
    QDir().mkpath(movies);
    QFile movie(movies + u'/' + QString::fromLatin1(race.RaceKey(turf)) + u".mp4"_s);
    ok = movie.open(QIODevice::WriteOnly) && ok;
  }
  TRaceWindow* window = shooter.Open(turf);
  ok = shooter.Save(shooter.Grab(), u"race-right-turf-3c.png"_s) && ok;

  // The horse under the pointer is outlined in the sheet.
  for (int n = 1; n <= window->Race()->State().N; ++n) {
    if (!window->Race()->Diagram().Markers[n - 1].Visible) continue;
    MoveMouse(window->Image(), window->Image()->MarkerRect(n).center());
    break;
  }
  ok = shooter.Save(shooter.Grab(), u"race-marker-highlight.png"_s) && ok;

  // The pointer resting on the marker of a horse off the rail: its figures in a tooltip.
  for (int n = 1; n <= window->Race()->State().N; ++n) {
    const TTrackDiagram& diagram = window->Race()->Diagram();
    if (!diagram.Markers[n - 1].Visible || diagram.Lanes[n - 1] < 1) continue;
    const QPoint at = window->Image()->MarkerRect(n).center();
    MoveMouse(window->Image(), at);
    QHelpEvent help(QEvent::ToolTip, at, window->Image()->mapToGlobal(at));
    QApplication::sendEvent(window->Image(), &help);
    ok = shooter.Save(shooter.GrabWithToolTip(), u"race-tooltip.png"_s) && ok;
    QToolTip::hideText();
    break;
  }

  // The margin dialog over the diagram, opened for the gap behind the front row.
  {
    const TTrackDiagram& diagram = window->Race()->Diagram();
    std::set<int> rows;
    for (int n = 1; n <= window->Race()->State().N; ++n)
      if (diagram.Rows[n - 1] >= 0) rows.insert(diagram.Rows[n - 1]);
    TMarginDialog* dialog = window->MarginDialog();
    dialog->SetValue(rows.size() >= 2 ? *std::next(rows.begin()) - *rows.begin() : 1);
    dialog->show();
    QApplication::processEvents();
    QPixmap picture = shooter.Grab();
    QPainter painter(&picture);
    const QPoint at = window->Image()->mapTo(window->window(), QPoint(60, 60));
    const QPixmap dialogPicture = dialog->grab();
    painter.drawPixmap(at, dialogPicture);
    painter.end();
    // The dialog alone, enlarged, so its text can be read.
    ok = shooter.Save(dialogPicture.scaled(dialogPicture.size() * 3), u"race-margin-dialog-3x.png"_s) && ok;
    dialog->hide();
    ok = shooter.Save(picture, u"race-margin-dialog.png"_s) && ok;
  }

  // The race saved as a picture, through the window's own command.
  window->AskPicturePath = [&](const QString& suggested) {
    std::printf("picture suggested as %s\n", qPrintable(QFileInfo(suggested).fileName()));
    return QDir(QString::fromLocal8Bit(argv[1])).filePath(u"race-picture.png"_s);
  };
  window->PictureButton()->click();

  // The rebuild asks first; the picture shows the question over the window, then it is declined.
  QTimer::singleShot(200, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    QPixmap picture = shooter.Grab();
    QPainter painter(&picture);
    const QPixmap boxPicture = box->grab();
    painter.drawPixmap((picture.width() - boxPicture.width()) / 2, 120, boxPicture);
    painter.end();
    ok = shooter.Save(picture, u"race-rebuild-confirm.png"_s) && ok;
    for (QAbstractButton* button : box->buttons())
      if (box->buttonRole(button) == QMessageBox::RejectRole) button->click();
  });
  window->RebuildButton()->click();

  // A horse with room outside it, picked by its number and moved a lane out
  // with the arrow key: the dotted frame marks it, the menu names the edit to undo.
  {
    const int horse = HorseWithRoom(window->Race()->Diagram());
    for (const int key : {int(Qt::Key_0) + horse, int(Qt::Key_Right)}) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(window->Image(), &press);
    }
    QMenu* menu = window->Menus().first();
    menu->popup(QPoint(0, 0));
    TShooter::Settle();
    QPixmap picture = shooter.Grab();
    QPainter painter(&picture);
    painter.drawPixmap(window->mapTo(window->window(), QPoint(4, 30)), menu->grab());
    painter.end();
    menu->hide();
    ok = shooter.Save(picture, u"race-undo-menu.png"_s) && ok;
  }
  shooter.CloseAll();

  const QByteArray dirt = FindRace(session, [](const TRaceShape& race) {
    return !race.Straight() && race.LeftHanded() && race.Dirt() && race.ThirdCorner() && race.Sections < 13;
  });
  shooter.Open(dirt);
  ok = shooter.Save(shooter.Grab(), u"race-left-dirt.png"_s) && ok;
  shooter.CloseAll();

  const QByteArray longRace =
      FindRace(session, [](const TRaceShape& race) { return race.Sections == 13 && (race.Presence & 16); });
  window = shooter.Open(longRace);
  shooter.SelectTab(window, u"１コーナー"_s);
  ok = shooter.Save(shooter.Grab(), u"race-13-sections-1c.png"_s) && ok;
  shooter.CloseAll();

  const QByteArray straight = FindRace(session, [](const TRaceShape& race) { return race.Straight(); });
  shooter.Open(straight);
  ok = shooter.Save(shooter.Grab(), u"race-straight.png"_s) && ok;
  shooter.CloseAll();

  return ok ? 0 : 1;
}
