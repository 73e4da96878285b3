#include "settings/settingsstore.h"

#include <QCoreApplication>

// Ends a pretend session again and again, writing one recognisable set of settings, so that a
// test can run two of these at once against the same file.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4)
        return 2;
    const int tag = arguments.at(2).toInt();
    SessionSettings session;
    session.placement = { double(tag), double(tag), 4000.0 * tag, 4000.0 * tag, false };
    session.font.name = QStringLiteral("Writer %1").arg(tag);
    session.background = tag;
    for (int round = 0; round < arguments.at(3).toInt(); ++round) {
        IniSettingsFile file(arguments.at(1));
        SettingsStore(file).SaveRegisterSettings(session);
    }
    return 0;
}
