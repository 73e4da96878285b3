#pragma once

#include "platform/commondialog.h"
#include "platform/filestore.h"
#include "platform/printer.h"
#include "platform/prompter.h"

#include <functional>
#include <memory>

// Everything the main window reaches outside the program. The desktop set talks to the real
// system; tests hand in scripted ones.
struct PlatformServices
{
    std::unique_ptr<Prompter> prompter;
    std::unique_ptr<CommonDialog> commonDialog;
    std::unique_ptr<Printer> printer;
    std::unique_ptr<FileStore> files;
    std::function<void()> endProgram;

    static PlatformServices desktop();
};
