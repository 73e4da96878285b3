#pragma once

#include "platform/commondialog.h"
#include "platform/filestore.h"
#include "platform/printer.h"
#include "platform/prompter.h"
#include "platform/registry.h"
#include "platform/settingsfile.h"
#include "platform/shell.h"

#include <QDialog>

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
    std::unique_ptr<Shell> shell;
    std::function<void()> endProgram;
    std::unique_ptr<SettingsFile> settings;
    std::unique_ptr<Registry> registry;
    // The folder of the running program file.
    QString programFolder;
    // Runs one of the program's own dialogs modally.
    std::function<void(QDialog &)> showModal;

    static PlatformServices desktop();
};
