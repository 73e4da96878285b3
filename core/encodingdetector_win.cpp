#include "core/encodingdetector.h"

// Windows reads a file that is neither UTF-8 nor UTF-16 in its ANSI code page. Where that code
// page is UTF-8, no detector is built in here, and such a file opens as Windows-1252, which
// keeps its bytes.
QByteArray guessEncoding(QByteArrayView)
{
    return QByteArray();
}
