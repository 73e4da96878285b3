#include "platform/freedesktopregistry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>

namespace {

const QString TextMime = QStringLiteral("text/plain");
const QString DefaultsGroup = QStringLiteral("[Default Applications]");

QString environmentPath(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QString configHome()
{
    return environmentPath("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

QString dataHome()
{
    return environmentPath("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
}

QStringList splitDirs(const char *name, const QString &fallback)
{
    return environmentPath(name, fallback).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QStringList applicationDirs()
{
    QStringList dirs { dataHome() };
    dirs += splitDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (QString &dir : dirs)
        dir += QStringLiteral("/applications");
    return dirs;
}

// The lookup order of the MIME applications associations: desktop-specific lists first, then
// the general one, in the config folders and then (deprecated) in the application folders.
QStringList mimeappsLists()
{
    QStringList desktops;
    for (const QString &desktop :
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        desktops << desktop.toLower() + QStringLiteral("-mimeapps.list");
    desktops << QStringLiteral("mimeapps.list");
    QStringList folders { configHome() };
    folders += splitDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    folders += applicationDirs();
    QStringList lists;
    for (const QString &folder : qAsConst(folders)) {
        for (const QString &name : qAsConst(desktops))
            lists << folder + QLatin1Char('/') + name;
    }
    return lists;
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

// Values of one key in one group of a desktop-entry style file.
QString groupValue(const QStringList &lines, const QString &group, const QString &key)
{
    bool inGroup = false;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inGroup = line == group;
        else if (inGroup && line.section(QLatin1Char('='), 0, 0).trimmed() == key)
            return line.section(QLatin1Char('='), 1).trimmed();
    }
    return QString();
}

QString findDesktopFile(const QString &id)
{
    QString nested = id;
    nested.replace(QLatin1Char('-'), QLatin1Char('/'));
    for (const QString &dir : applicationDirs()) {
        for (const QString &candidate : { id, nested }) {
            if (QFile::exists(dir + QLatin1Char('/') + candidate))
                return dir + QLatin1Char('/') + candidate;
        }
    }
    return QString();
}

QString unescapeValue(const QString &value)
{
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        if (value.at(i) != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value.at(i);
            continue;
        }
        const QChar next = value.at(++i);
        out += next == QLatin1Char('s') ? QChar(' ')
            : next == QLatin1Char('n')  ? QChar('\n')
            : next == QLatin1Char('t')  ? QChar('\t')
                                        : next;
    }
    return out;
}

QStringList splitExec(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool started = false;
    for (int i = 0; i < exec.size(); ++i) {
        const QChar ch = exec.at(i);
        if (quoted && ch == QLatin1Char('\\') && i + 1 < exec.size()) {
            current += exec.at(++i);
        } else if (ch == QLatin1Char('"')) {
            quoted = !quoted;
            started = true;
        } else if (!quoted && ch.isSpace()) {
            if (started)
                arguments << current;
            current.clear();
            started = false;
        } else {
            current += ch;
            started = true;
        }
    }
    if (started)
        arguments << current;
    return arguments;
}

QString quoteArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (!std::any_of(argument.begin(), argument.end(), [](QChar ch) {
            return reserved.contains(ch);
        }))
        return argument;
    QString escaped;
    for (const QChar ch : argument) {
        if (ch == QLatin1Char('"') || ch == QLatin1Char('`') || ch == QLatin1Char('$')
            || ch == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += ch;
    }
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

bool writeAtomically(const QString &path, const QString &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    return file.commit();
}

bool setDefaultApplication(const QString &listPath, const QString &desktopId)
{
    // A list that exists but cannot be read must not be replaced by one holding only our line.
    if (QFile::exists(listPath) && !QFileInfo(listPath).isReadable())
        return false;
    QStringList lines = readLines(listPath);
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    const QString entry = TextMime + QLatin1Char('=') + desktopId;
    const auto header = std::find_if(lines.cbegin(), lines.cend(), [](const QString &line) {
        return line.trimmed() == DefaultsGroup;
    });
    int group = header == lines.cend() ? -1 : int(header - lines.cbegin());
    if (group < 0) {
        if (!lines.isEmpty())
            lines << QString();
        lines << DefaultsGroup << entry;
    } else {
        int insertAt = group + 1;
        bool replaced = false;
        for (int i = group + 1;
             i < lines.size() && !lines.at(i).trimmed().startsWith(QLatin1Char('['));
             ++i) {
            if (lines.at(i).section(QLatin1Char('='), 0, 0).trimmed() == TextMime) {
                lines[i] = entry;
                replaced = true;
                break;
            }
            if (!lines.at(i).trimmed().isEmpty())
                insertAt = i + 1;
        }
        if (!replaced)
            lines.insert(insertAt, entry);
    }
    return writeAtomically(listPath, lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

} // namespace

QString FreedesktopRegistry::commandFromExec(const QString &exec)
{
    QStringList arguments = splitExec(unescapeValue(exec));
    if (arguments.isEmpty())
        return QString();
    const auto literal = [](QString argument) {
        return argument.replace(QLatin1String("%%"), QLatin1String("%"));
    };
    QStringList command { literal(arguments.takeFirst()) };
    for (const QString &argument : qAsConst(arguments)) {
        static const QStringList fileCodes { "%f", "%F", "%u", "%U" };
        if (fileCodes.contains(argument))
            command << QStringLiteral("%1");
        else if (argument == QLatin1String("%%")
            || !(argument.size() == 2 && argument.startsWith(QLatin1Char('%'))))
            command << literal(argument);
    }
    return command.join(QLatin1Char(' '));
}

QString FreedesktopRegistry::execFromCommand(const QString &command)
{
    QString program = command;
    if (program.endsWith(QLatin1String(" %1")))
        program.chop(3);
    if (program.size() >= 2 && program.startsWith(QLatin1Char('"'))
        && program.endsWith(QLatin1Char('"')))
        program = program.mid(1, program.size() - 2);
    // A literal percent sign would otherwise read as a field code.
    program.replace(QLatin1Char('%'), QLatin1String("%%"));
    QString exec = quoteArgument(program) + QStringLiteral(" %f");
    // Desktop entry values escape backslashes once more, after the quoting.
    exec.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return exec;
}

QString FreedesktopRegistry::defaultTextCommand()
{
    for (const QString &list : mimeappsLists()) {
        const QString ids = groupValue(readLines(list), DefaultsGroup, TextMime);
        for (const QString &id : ids.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString file = findDesktopFile(id.trimmed());
            if (!file.isEmpty())
                return commandFromExec(groupValue(
                    readLines(file), QStringLiteral("[Desktop Entry]"), QStringLiteral("Exec")));
        }
    }
    return QString();
}

bool FreedesktopRegistry::installTextHandler(const QString &command)
{
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=OmrikNote\n"
                                         "GenericName=Text Editor\n"
                                         "Comment=Edit plain text files\n"
                                         "Exec=%1\n"
                                         "Icon=omriknote\n"
                                         "Terminal=false\n"
                                         "MimeType=text/plain;\n"
                                         "Categories=Utility;TextEditor;\n")
                              .arg(execFromCommand(command));
    const QString entryPath = dataHome() + QStringLiteral("/applications/") + desktopFileName();
    if (!writeAtomically(entryPath, entry))
        return false;
    // A desktop-specific list is read before the general one, so a default named there must
    // change too or our entry would never be used.
    for (const QString &list : mimeappsLists()) {
        if (!list.startsWith(configHome() + QLatin1Char('/'))
            || list.endsWith(QLatin1String("/mimeapps.list")))
            continue;
        if (!groupValue(readLines(list), DefaultsGroup, TextMime).isEmpty()
            && !setDefaultApplication(list, desktopFileName()))
            return false;
    }
    return setDefaultApplication(
        configHome() + QStringLiteral("/mimeapps.list"), desktopFileName());
}

long FreedesktopRegistry::RegOpenKeyExA(
    Handle root, const QByteArray &subKey, quint32, quint32, Handle *result)
{
    // The one key this backend knows: the open command of text files.
    const QByteArray wanted = QByteArrayLiteral("txtfile\\shell\\open\\command");
    QByteArray asked = subKey.toLower();
    while (asked.endsWith('\\'))
        asked.chop(1);
    if (root != ClassesRoot || asked != wanted)
        return FileNotFound;
    m_open = true;
    *result = CommandKey;
    return Success;
}

long FreedesktopRegistry::RegQueryValueExA(
    Handle key, const QByteArray &valueName, quint32 *type, QByteArray *data, quint32 *size)
{
    if (key != CommandKey || !m_open)
        return InvalidHandle;
    const QString command = valueName.isEmpty() ? defaultTextCommand() : QString();
    if (command.isEmpty())
        return FileNotFound;
    const QByteArray bytes = command.toUtf8() + '\0';
    *type = TypeText;
    if (data) {
        if (*size < quint32(bytes.size()))
            return MoreData;
        *data = bytes;
    }
    *size = quint32(bytes.size());
    return Success;
}

long FreedesktopRegistry::RegSetValueExA(
    Handle key, const QByteArray &valueName, quint32 type, const QByteArray &data)
{
    if (key != CommandKey || !m_open)
        return InvalidHandle;
    if (!valueName.isEmpty() || type != TypeText)
        return AccessDenied;
    const QByteArray text = data.left(data.indexOf('\0') < 0 ? data.size() : data.indexOf('\0'));
    return installTextHandler(QString::fromUtf8(text)) ? Success : AccessDenied;
}

long FreedesktopRegistry::RegCloseKey(Handle key)
{
    if (key != CommandKey || !m_open)
        return InvalidHandle;
    m_open = false;
    return Success;
}
