#pragma once

#include <QByteArrayView>
#include <QString>

// "01" -> "札幌" ... "10" -> "小倉"; any other code has no name.
QString VenueName(QByteArrayView venueCode);
