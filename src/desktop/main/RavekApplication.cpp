#include "desktop/main/RavekApplication.h"

#include "desktop/widgets/UiSupport.h"
#include "text/Errors.h"

#include <exception>

using namespace Qt::StringLiterals;

TRavekApplication::TRavekApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(u"RAVEK"_s);
}

bool TRavekApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const TRavekError& error) {
    ShowError(error.Message());
  } catch (const std::exception& error) {
    ShowError(QString::fromUtf8(error.what()));
  } catch (...) {
    ShowError(u"不明なエラーが発生しました"_s);
  }
  return false;
}

void TRavekApplication::ShowError(const QString& message) {
  ShowMessage(activeWindow(), QMessageBox::Critical, message);
}
