#pragma once

#include <QIcon>

class QPainter;
class QRectF;

// The pictures of the toolbar buttons and the program, painted as vectors so
// they stay sharp at any size and device scale.
QIcon QuitIcon();
QIcon ResultsIcon();
QIcon DownloadIcon();
QIcon ProgramIcon();

// The program's emblem stretched into rect (the version dialog shows it so).
void PaintProgramEmblem(QPainter& painter, const QRectF& rect);
