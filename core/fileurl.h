#pragma once

#include <QString>

class QMimeData;
class QUrl;

// The path of the file on this machine that a URL names; empty for any other URL. A file URL
// may name this machine as "localhost", which is no folder of its own.
QString localFileOf(const QUrl &url);

// The file a drop names: of several, the first that is on this machine, as the window holds
// one document. Empty when it names none, as for dragged text or a web link.
QString droppedFile(const QMimeData &data);
