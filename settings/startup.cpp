#include "settings/startup.h"

QString argumentText(const QStringList &arguments)
{
    QString text = arguments.mid(1).join(QLatin1Char(' '));
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text;
}

void openCommandLineDocument(CommandDispatcher &commands,
    DocumentState &state,
    Prompter &prompter,
    const QString &argument,
    DocumentRead *started)
{
    if (!argument.isEmpty()) {
        const MaybeFailure failure = commands.readDocumentFile(argument, started);
        if (!failure)
            return;
        prompter.messageBox(failure->message(), MsgBox::OkOnly);
    }
    // Without a document of its own the program starts with an untitled, unchanged one.
    state.adopt(QString(), DocumentFormat());
}
