#include "platform/platformservices.h"
#include "ui/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OmrikNote"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/omriknote.xpm")));
    Form1 window(PlatformServices::desktop());
    window.startUp(QApplication::arguments());
    window.show();
    return app.exec();
}
