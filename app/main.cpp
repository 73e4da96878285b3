#include "core/documentread.h"
#include "platform/largememory.h"
#include "platform/platformservices.h"
#include "platform/sharppixmap.h"
#include "platform/standardoutput.h"
#include "settings/commandline.h"
#include "ui/form1.h"

#include <QApplication>

#include <memory>

namespace {

QStringList commandLineArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return arguments;
}

// Qt takes its own options (-style, -reverse, ...) out of the arguments wherever they stand;
// what follows "--" names the document, so Qt is shown only what comes before.
int argumentsForQt(const QStringList &arguments)
{
    const qsizetype end = arguments.indexOf(QStringLiteral("--"));
    return end < 0 ? int(arguments.size()) : int(end) + 1;
}

QStringList argumentsLeftByQt(const QStringList &arguments, int shownToQt)
{
#ifdef Q_OS_WIN
    // Qt takes the arguments from the wide command line there, those it was not shown too.
    Q_UNUSED(arguments);
    Q_UNUSED(shownToQt);
    return QApplication::arguments();
#else
    return QApplication::arguments() + arguments.mid(shownToQt);
#endif
}

// The document named on the command line is read while Qt starts, which takes longer than
// reading most documents. Qt may still take options out of the arguments; the window then
// asks for another path and this read goes unused.
std::unique_ptr<DocumentRead> startReading(FileStore &files, const QString &path)
{
#ifdef Q_OS_WIN
    // Qt takes the arguments from the wide command line there; argv may name another file.
    Q_UNUSED(files);
    Q_UNUSED(path);
    return nullptr;
#else
    if (path.isEmpty())
        return nullptr;
    return std::make_unique<DocumentRead>(files, path);
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    keepFreedBlocks();
    const QStringList arguments = commandLineArguments(argc, argv);
    const CommandLine commandLine = CommandLine::parse(arguments);
    // Answered before Qt starts, which needs a display.
    if (!commandLine.answer.isEmpty())
        return writeStandardOutput(commandLine.answer) ? 0 : 1;
    DiskFileStore files;
    std::unique_ptr<DocumentRead> started = startReading(files, commandLine.document);
    const int shownToQt = argumentsForQt(arguments);
    int qtArgc = shownToQt;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("OmrikNote"));
    // Wayland shows no window icon of a program's own: the compositor takes the icon, and
    // the name in task switchers, from the desktop entry this names.
    QGuiApplication::setDesktopFileName(QStringLiteral("omriknote"));
    QApplication::setWindowIcon(sharpIcon(QStringLiteral(":/assets/omriknote.xpm")));
    Form1 window(PlatformServices::desktop());
    window.startUp(argumentsLeftByQt(arguments, shownToQt), started.get());
    // A read that went unused holds a whole document.
    started.reset();
    window.show();
    return app.exec();
}
