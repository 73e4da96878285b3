#include "platform/platformservices.h"

#include <QCoreApplication>

PlatformServices PlatformServices::desktop()
{
    PlatformServices services;
    services.prompter = std::make_unique<WidgetPrompter>();
    services.commonDialog = std::make_unique<WidgetCommonDialog>();
    services.printer = std::make_unique<DocumentPrinter>();
    services.files = std::make_unique<DiskFileStore>();
    services.endProgram = [] {
        QCoreApplication::exit(0);
    };
    return services;
}
