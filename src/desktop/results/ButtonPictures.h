#pragma once

#include <QIcon>

// The pictures of the results list's close, previous-day and next-day buttons,
// drawn at every device pixel ratio so they stay crisp.
QIcon ClosePicture();
QIcon PreviousDayPicture();
QIcon NextDayPicture();
