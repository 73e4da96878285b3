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
        if (MaybeFailure failure = commands.readDocumentFile(argument, started))
            prompter.messageBox(failure->message(), MsgBox::OkOnly);
    }
    // A freshly started program counts as unchanged, whatever loading the text did.
    state.setTextChanged(false);
}
