#pragma once

#include "core/documentfile.h"
#include "platform/filestore.h"

// Reads and decodes a document on a worker thread. When that takes longer than a moment, the
// window keeps painting and answering the window system meanwhile; the user's input waits
// until the document is there, so nothing can act on a half-opened file.
Result<LoadedDocument> readDocument(FileStore &files, const QString &path);
