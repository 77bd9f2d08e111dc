#include "desktop/widgets/ChildWindow.h"

#include "desktop/widgets/ToolIcons.h"

#include <QMdiArea>
#include <QMdiSubWindow>

void TChildWindow::FitFrame() {
  if (parentWidget()) parentWidget()->adjustSize();
}

QMdiSubWindow* ShowChildWindow(QMdiArea* area, TChildWindow* child) {
  QMdiSubWindow* frame =
      area->addSubWindow(child, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                    Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  frame->setAttribute(Qt::WA_DeleteOnClose);
  // The frame would show the toolkit's own emblem otherwise.
  frame->setWindowIcon(ProgramIcon());
  child->FitFrame();
  frame->move(0, 0);
  frame->show();
  return frame;
}
