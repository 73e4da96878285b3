#include "settings/commandline.h"

#include "core/fileurl.h"

#include <QUrl>

#ifndef OMRIK_VERSION
#error "OMRIK_VERSION is handed in by the build, from the project's version"
#endif

namespace {

QString helpText()
{
    return QStringLiteral(
        "Usage: OmrikNote [FILE]\n"
        "       OmrikNote -- FILE\n"
        "Edits the plain-text file FILE, or a new document when no file is named.\n"
        "\n"
        "  --help     show this help and exit\n"
        "  --version  show the version and exit\n"
        "  --         take what follows as the file's name, even if it begins with -\n"
        "\n"
        "FILE is a path or a file:// URI. The words of a path are joined with spaces, and one\n"
        "pair of double quotes around it is taken off.\n");
}

QString documentNamedBy(const QStringList &words)
{
    if (words.isEmpty())
        return QString();
    const QString named = localFileOf(QUrl(words.constFirst()));
    if (!named.isEmpty())
        return named;
    QString text = words.join(QLatin1Char(' '));
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    QStringList words = arguments.mid(1);
    CommandLine commandLine;
    const QString first = words.value(0);
    if (first == QLatin1String("--help"))
        commandLine.answer = helpText();
    else if (first == QLatin1String("--version"))
        commandLine.answer = QStringLiteral("OmrikNote " OMRIK_VERSION "\n");
    else if (first == QLatin1String("--"))
        words.removeFirst();
    if (commandLine.answer.isEmpty())
        commandLine.document = documentNamedBy(words);
    return commandLine;
}
