#include "desktop/race/DiagramView.h"
#include "desktop/race/RaceGridView.h"
#include "desktop/race/RaceWindow.h"
#include "desktop/widgets/UiSupport.h"
#include "shell/Session.h"
#include "text/Errors.h"
#include "text/LineFile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QTabBar>
#include <QToolButton>

// The race saved as a picture: its title over the sheet and the diagram.

using namespace Qt::StringLiterals;

namespace {

// The folder of the last picture saved, offered again for the rest of the run.
QString LastPictureFolder;

}  // namespace

QString TRaceWindow::PictureFileName() const {
  const QString key = FRace ? QString::fromLatin1(FRace->State().RaceKey) : QString();
  const QString caption = DrawnCaption();
  return caption.isEmpty() ? key + u".png"_s : u"%1_%2.png"_s.arg(key, caption);
}

QImage TRaceWindow::RacePicture() {
  if (!FRace) return {};
  const QSize sheet = FGrid->size();
  const QSize diagram = FRace->State().Straight ? QSize(0, 0) : FImage->size();
  const int top = PictureMargin + PictureTitleHeight;
  QImage picture(3 * PictureMargin + sheet.width() + diagram.width(),
                 top + std::max(sheet.height(), diagram.height()) + PictureMargin, QImage::Format_RGB32);
  picture.fill(palette().color(QPalette::Window));
  QPainter painter(&picture);
  // The race name comes padded to its field's width.
  QString title = windowTitle().trimmed();
  if (const QString caption = DrawnCaption(); !caption.isEmpty()) title += u"　"_s + caption;
  title += u"　"_s + FInfoPanel->text().trimmed();
  painter.setFont(RavekFont(13));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(
      QRect(PictureMargin, PictureMargin, picture.width() - 2 * PictureMargin, PictureTitleHeight),
      Qt::AlignLeft | Qt::AlignVCenter, title);
  // The horse under the pointer is outlined for the moment only, not in the picture.
  const QByteArray highlight = FRace->ExchangeHighlight(TTrackDiagram::HighlightCode(0));
  FGrid->render(&painter, QPoint(PictureMargin, top));
  FRace->ExchangeHighlight(highlight);
  if (!diagram.isEmpty()) FImage->render(&painter, QPoint(2 * PictureMargin + sheet.width(), top));
  return picture;
}

void TRaceWindow::PictureClick() {
  if (!FRace || !FSession || !FPictureButton->isEnabled()) return;
  const QString folder = LastPictureFolder.isEmpty() ? FSession->Shell().DataDir : LastPictureFolder;
  const QString suggested = QDir(folder).filePath(PictureFileName());
  const QString path = AskPicturePath
                           ? AskPicturePath(suggested)
                           : AskSavePath(this, u"画像として保存"_s, suggested, u"PNG 画像 (*.png)"_s);
  if (path.isEmpty() || !FRace) return;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  try {
    if (!RacePicture().save(&buffer, "PNG")) throw TFileError(u"画像を作れませんでした。"_s);
    WriteFileAtomically(path, bytes);
  } catch (const TRavekError& error) {
    emit SorryRequested(error.Message());
    return;
  }
  LastPictureFolder = QFileInfo(path).absolutePath();
  emit StatusText(FRace->MessagePanel(), u"画像を保存しました: "_s + QDir::toNativeSeparators(path));
}
