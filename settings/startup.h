#pragma once

#include "core/commanddispatcher.h"

#include <QStringList>

// The path of the document the arguments name, the program's own name first; empty for none.
QString argumentText(const QStringList &arguments);

// Opens the document named on the command line, if any, taking it from `started` when that
// read is of the same file. A file that cannot be read is reported and the program starts
// with an untitled, empty document.
void openCommandLineDocument(CommandDispatcher &commands,
    DocumentState &state,
    Prompter &prompter,
    const QString &argument,
    DocumentRead *started = nullptr);
