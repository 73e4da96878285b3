#include "core/commanddispatcher.h"

#include "core/documentread.h"
#include "platform/busypointer.h"
#include "platform/controlfont.h"
#include "platform/modalwork.h"

#include <QFileInfo>

namespace {

constexpr int FileDialogFlags = CommonDialog::OverwritePrompt | CommonDialog::HideReadOnly;

} // namespace

CommandDispatcher::CommandDispatcher(DocumentState &state,
    EditableText &textBox,
    CommonDialog &commonDialog,
    Prompter &prompter,
    Printer &printer,
    FileStore &files)
    : m_state(state)
    , m_textBox(textBox)
    , m_commonDialog(commonDialog)
    , m_prompter(prompter)
    , m_printer(printer)
    , m_files(files)
{ }

bool CommandDispatcher::ButtonClick(int index)
{
    m_commonDialog.setCancelError(true);
    return finishCommand(runCommand(index));
}

bool CommandDispatcher::openFile(const QString &path)
{
    return finishCommand(openNamedDocument(path));
}

bool CommandDispatcher::finishCommand(const Result<Outcome> &result)
{
    if (!result.ok()) {
        report(result.failure());
        return false;
    }
    if (result.value() == Outcome::Stopped)
        return false;
    m_textBox.takeFocus();
    return true;
}

void CommandDispatcher::report(const Failure &failure)
{
    if (failure.number != FailureNumber::CancelError)
        m_prompter.messageBox(failure.message(), MsgBox::OkOnly);
}

Result<CommandDispatcher::Outcome> CommandDispatcher::runCommand(int index)
{
    switch (index) {
    case New:
        return newDocument();
    case Open:
        return openDocument();
    case Save:
        return saveDocument();
    case Print:
        return printDocument();
    case Cut:
        m_textBox.cut();
        break;
    case Paste:
        m_textBox.paste();
        break;
    case Copy:
        m_textBox.copy();
        break;
    case Undo:
        m_textBox.undoLastEdit();
        break;
    case Find:
        return findText();
    default:
        break;
    }
    return Outcome::Completed;
}

bool CommandDispatcher::settleUnsavedChanges()
{
    if (!m_state.TextChanged())
        return true;
    const int style = MsgBox::YesNoCancel | MsgBox::Exclamation;
    switch (m_prompter.messageBox(m_state.saveChangesPrompt(), style)) {
    case MsgBox::Yes:
        return ButtonClick(Save);
    case MsgBox::No:
        return true;
    default:
        return false;
    }
}

Result<CommandDispatcher::Outcome> CommandDispatcher::newDocument()
{
    if (!settleUnsavedChanges())
        return Outcome::Stopped;
    m_textBox.setText(QString());
    m_state.adopt(QString(), DocumentFormat());
    return Outcome::Completed;
}

Result<CommandDispatcher::Outcome> CommandDispatcher::openDocument()
{
    if (!settleUnsavedChanges())
        return Outcome::Stopped;
    m_commonDialog.setFlags(FileDialogFlags);
    m_commonDialog.setFilter(QStringLiteral("All files (*.*)|*.*"));
    m_commonDialog.setFileName(QString());
    if (MaybeFailure failure = m_commonDialog.ShowOpen())
        return *failure;
    if (MaybeFailure failure = readDocumentFile(m_commonDialog.FileName()))
        return *failure;
    return Outcome::Completed;
}

Result<CommandDispatcher::Outcome> CommandDispatcher::openNamedDocument(const QString &path)
{
    if (!settleUnsavedChanges())
        return Outcome::Stopped;
    if (MaybeFailure failure = readDocumentFile(path))
        return *failure;
    return Outcome::Completed;
}

MaybeFailure CommandDispatcher::readDocumentFile(const QString &path, DocumentRead *started)
{
    const bool useStarted = started && started->path() == path;
    // What another read holds is let go before this one needs as much again.
    if (started && !useStarted)
        started->discard();
    Result<LoadedDocument> read = useStarted ? started->take() : readDocument(m_files, path);
    if (!read.ok())
        return read.failure();
    LoadedDocument &document = read.value();
    m_textBox.setText(std::move(document.text));
    m_textBox.setSelStart(0);
    m_state.adopt(path, document.format, m_files.stamp(path));
    return std::nullopt;
}

Result<CommandDispatcher::Outcome> CommandDispatcher::saveDocument()
{
    if (m_state.CurrentFile().isEmpty())
        return saveToChosenFile();
    if (!mayOverwrite(m_state.CurrentFile()))
        return Outcome::Stopped;
    if (MaybeFailure failure = writeDocumentFile(m_state.CurrentFile()))
        return *failure;
    m_state.setSaved(m_files.stamp(m_state.CurrentFile()));
    return Outcome::Completed;
}

// Another program, or another window of this one, may have written the file since it was read
// or saved here; its work is not overwritten without asking, and Enter answers No. A file that
// is gone is simply written: nobody loses anything.
bool CommandDispatcher::mayOverwrite(const QString &path)
{
    const FileStamp now = m_files.stamp(path);
    if (!now.exists || now == m_state.diskStamp())
        return true;
    const QString question = QStringLiteral("The file ") + path
        + QStringLiteral(" has been changed by another program.\rDo you wish to overwrite it?");
    return m_prompter.messageBox(question, MsgBox::YesNo | MsgBox::DefaultButton2) == MsgBox::Yes;
}

Result<CommandDispatcher::Outcome> CommandDispatcher::saveToChosenFile()
{
    m_commonDialog.setFlags(FileDialogFlags);
    m_commonDialog.setFilter(QStringLiteral("Textfiles (*.txt)|*.txt"));
    m_commonDialog.setFileName(QString());
    if (MaybeFailure failure = m_commonDialog.ShowSave())
        return *failure;
    const QString path = m_commonDialog.FileName();
    if (MaybeFailure failure = writeDocumentFile(path))
        return *failure;
    // The text keeps the encoding and line ends it was read with.
    m_state.adopt(path, m_state.format(), m_files.stamp(path));
    return Outcome::Completed;
}

MaybeFailure CommandDispatcher::writeDocumentFile(const QString &path)
{
    // The text does not change meanwhile: the window takes no input until the save is done.
    const TextStorage &text = m_textBox.storage();
    const DocumentFormat format = m_state.format();
    return runModallyFor(
        QStringLiteral("Saving %1").arg(QFileInfo(path).fileName()), [&](Progress &progress) {
            return writeDocument(m_files, path, text, format, progress);
        });
}

void CommandDispatcher::SaveAs()
{
    m_commonDialog.setCancelError(true);
    const Result<Outcome> result = saveToChosenFile();
    if (!result.ok())
        report(result.failure());
}

Result<CommandDispatcher::Outcome> CommandDispatcher::printDocument()
{
    if (MaybeFailure failure = m_commonDialog.ShowPrinter())
        return *failure;
    const BusyPointer busy;
    // The printer takes the editor's face, style and size; the colour stays on screen. The
    // job goes where the user sent it in the dialog, with the copies and paper chosen there.
    const MaybeFailure failure = m_printer.printText(
        m_textBox.text(), m_textBox.controlFont().toQFont(), m_commonDialog.printSetup());
    if (failure)
        return *failure;
    return Outcome::Completed;
}

Result<CommandDispatcher::Outcome> CommandDispatcher::findText()
{
    const QString wanted = m_prompter.inputBox(
        QStringLiteral("Please enter your search string:"), QStringLiteral("Zoeken"));
    const TextStorage &text = m_textBox.storage();
    const qsizetype position
        = text.isEmpty() ? 0 : runModallyFor(QStringLiteral("Searching"), [&](Progress &progress) {
              return text.indexOf(wanted, 0, &progress);
          }) + 1;
    if (position == 0)
        m_prompter.messageBox(QStringLiteral("String not found!"), MsgBox::OkOnly);
    return Outcome::Completed;
}

void CommandDispatcher::SelectAll()
{
    m_textBox.setSelStart(0);
    m_textBox.setSelLength(m_textBox.textLength());
}
