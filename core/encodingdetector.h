#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The name a statistical detector gives the encoding of some bytes, in the detector's own
// spelling, or an empty name when it cannot tell. A guess only: the caller proves it.
QByteArray guessEncoding(QByteArrayView sample);
