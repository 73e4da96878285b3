#pragma once

#include <QStringList>

// What the program is asked to do by its arguments, its own name first.
//
// Only the first argument can be an option: --help or --version, or -- to say that what
// follows names the file even when it looks like an option. A file:// URI, as file managers
// pass, names the file it points to; of several, the first counts, as the window holds one
// document. Any other text is the path of one file: the arguments joined with spaces, and one
// pair of surrounding double quotes taken off, as shells and file managers may add them.
struct CommandLine
{
    static CommandLine parse(const QStringList &arguments);

    // What to print instead of starting, for --help and --version; empty otherwise.
    QString answer;
    // The document to open at start; empty for none.
    QString document;
};
