#pragma once

#include <QtGlobal>

// Asks the kernel to back a fresh large buffer with huge pages. Touching a new buffer page by
// page costs one fault per page, which under virtual machines makes filling 100 MB take
// longer than reading it; a huge page takes one fault for 2 MiB. The contents are unchanged.
void preferHugePages(void *data, qsizetype size);

// Lets the allocator keep and reuse freed blocks of up to tens of megabytes instead of giving
// each back to the system: the piece lists and parts of a file of gigabytes are that large,
// and every fresh block costs a page fault per page. Called once, at start-up.
void keepFreedBlocks();
