#pragma once

#include "core/commanddispatcher.h"

#include <QStringList>

// The program's argument text: everything after its own name, as one path. One pair of
// surrounding double quotes is taken off, as shells and file managers may add them.
QString argumentText(const QStringList &arguments);

// Opens the document named on the command line, if any, taking it from `started` when that
// read is of the same file. A file that cannot be read is reported and the program starts
// with an untitled, empty document.
void openCommandLineDocument(CommandDispatcher &commands,
    DocumentState &state,
    Prompter &prompter,
    const QString &argument,
    DocumentRead *started = nullptr);
