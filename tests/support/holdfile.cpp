// Holds a file open the way a Windows editor or viewer does, sharing reading and writing but
// not its deletion or replacement, until a second file appears. The Wine end-to-end test saves
// over the held file.
//
//   holdfile FILE RELEASE_WHEN_THIS_EXISTS
#include <windows.h>

int wmain(int argc, wchar_t *argv[])
{
    if (argc != 3)
        return 2;
    const HANDLE held = CreateFileW(argv[1],
        GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr,
        OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL,
        nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 1;
    while (GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES)
        Sleep(100);
    CloseHandle(held);
    return 0;
}
