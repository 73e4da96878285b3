#pragma once

#include <QString>

// What differs between the systems the program runs on, asked in this one place.

// Whether a text file without a byte-order mark is UTF-8 by the system's own meaning: it is on
// every system but Windows, where it is in the ANSI code page.
bool systemCodePageIsUtf8();

// Whether Qt takes the program's arguments from the system's wide command line rather than
// from main's argv, as it does on Windows; argv may then name another file.
bool argumentsComeFromWideCommandLine();

// The file name of the program itself in its folder.
QString programFileName();
