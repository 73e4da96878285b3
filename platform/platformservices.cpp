#include "platform/platformservices.h"

#include "platform/freedesktopregistry.h"
#include "platform/windowsregistry.h"

#include <QCoreApplication>

PlatformServices PlatformServices::desktop()
{
    PlatformServices services;
    services.prompter = std::make_unique<WidgetPrompter>();
    services.commonDialog = std::make_unique<WidgetCommonDialog>();
    services.printer = std::make_unique<DocumentPrinter>();
    services.files = std::make_unique<DiskFileStore>();
    services.shell = std::make_unique<DesktopShell>();
    services.endProgram = [] {
        QCoreApplication::exit(0);
    };
    services.settings = std::make_unique<IniSettingsFile>();
#ifdef Q_OS_WIN
    services.registry = std::make_unique<WindowsRegistry>();
#else
    services.registry = std::make_unique<FreedesktopRegistry>();
#endif
    services.programFolder = QCoreApplication::applicationDirPath();
    services.showModal = [](QDialog &dialog) {
        dialog.exec();
    };
    return services;
}
