#include "settings/startup.h"

#include "settings/commandline.h"

QString argumentText(const QStringList &arguments)
{
    return CommandLine::parse(arguments).document;
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
