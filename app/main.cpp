#include "core/documentread.h"
#include "platform/platformservices.h"
#include "settings/startup.h"
#include "ui/form1.h"

#include <QApplication>

#include <memory>

namespace {

// The document named on the command line is read while Qt starts, which takes longer than
// reading most documents. Qt may still take options out of the arguments; the window then
// asks for another path and this read goes unused.
std::unique_ptr<DocumentRead> startReading(FileStore &files, int argc, char *argv[])
{
#ifdef Q_OS_WIN
    // Qt takes the arguments from the wide command line there; argv may name another file.
    Q_UNUSED(files);
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return nullptr;
#else
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    const QString path = argumentText(arguments);
    if (path.isEmpty())
        return nullptr;
    return std::make_unique<DocumentRead>(files, path);
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    DiskFileStore files;
    std::unique_ptr<DocumentRead> started = startReading(files, argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("OmrikNote"));
    // Wayland shows no window icon of a program's own: the compositor takes the icon, and
    // the name in task switchers, from the desktop entry this names.
    QGuiApplication::setDesktopFileName(QStringLiteral("omriknote"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/omriknote.xpm")));
    Form1 window(PlatformServices::desktop());
    window.startUp(QApplication::arguments(), started.get());
    // A read that went unused holds a whole document.
    started.reset();
    window.show();
    return app.exec();
}
