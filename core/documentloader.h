#pragma once

#include "core/documentfile.h"

// Reads a large document on a worker thread while the window keeps painting and answering the
// window system; the user's input waits until the document is there, so nothing can act on a
// half-opened file. Small documents are read at once.
LoadedDocument loadInBackground(QByteArray bytes);
