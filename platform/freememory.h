#pragma once

#include <QtGlobal>

// How many bytes the program could still take without pushing other programs out of
// memory: the system's estimate of available memory. -1 when the system does not tell.
qint64 availableMemory();
