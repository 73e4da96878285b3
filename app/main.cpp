#include "core/documentread.h"
#include "platform/largememory.h"
#include "platform/platformservices.h"
#include "platform/sharppixmap.h"
#include "platform/standardoutput.h"
#include "platform/systemconventions.h"
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
    // From the wide command line Qt takes those it was not shown too.
    if (argumentsComeFromWideCommandLine())
        return QApplication::arguments();
    return QApplication::arguments() + arguments.mid(shownToQt);
}

// The document named on the command line is read while Qt starts, which takes longer than
// reading most documents. Qt may still take options out of the arguments; the window then
// asks for another path and this read goes unused.
std::unique_ptr<DocumentRead> startReading(FileStore &files, const QString &path)
{
    if (path.isEmpty() || argumentsComeFromWideCommandLine())
        return nullptr;
    return std::make_unique<DocumentRead>(files, path);
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
