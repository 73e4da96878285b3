#pragma once

#include <QString>

// Writes text to standard output, in the locale's encoding. False when it did not all get
// there, as on a full disk or a closed pipe, so that the program can say so in its exit status.
bool writeStandardOutput(const QString &text);
