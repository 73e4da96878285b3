#pragma once

#include "core/documentstate.h"
#include "engine/editabletext.h"
#include "platform/commondialog.h"
#include "platform/failure.h"
#include "platform/filestore.h"
#include "platform/printer.h"
#include "platform/prompter.h"

class DocumentRead;

// Carries out the file and edit commands of the main window, each inside one failure trap.
class CommandDispatcher
{
public:
    enum Command {
        New = 0,
        Open = 1,
        Save = 2,
        Print = 3,
        Cut = 4,
        Paste = 5,
        Copy = 6,
        Undo = 7,
        Find = 8
    };

    CommandDispatcher(DocumentState &state,
        EditableText &textBox,
        CommonDialog &commonDialog,
        Prompter &prompter,
        Printer &printer,
        FileStore &files);

    // Returns true when the command ran to its end; false when the user stopped it or it
    // failed, in which case the reason has already been reported.
    bool ButtonClick(int index);
    // Opens a file named from outside the program, such as one dropped on the window, as Open
    // does with the file its dialog returns: unsaved changes are settled first, a failure is
    // reported, and the result means what ButtonClick's does.
    bool openFile(const QString &path);
    void SaveAs();
    void SelectAll();

    // Reads a whole file into the editor. A failure leaves the document as it was. A read of
    // the same path already under way is used instead of a new one.
    MaybeFailure readDocumentFile(const QString &path, DocumentRead *started = nullptr);

    // Asks about unsaved changes and saves when told to. False means the caller must stop:
    // the user cancelled, or the save asked for did not happen and the text would be lost.
    bool settleUnsavedChanges();

private:
    enum class Outcome { Completed, Stopped };

    bool finishCommand(const Result<Outcome> &result);
    Result<Outcome> runCommand(int index);
    Result<Outcome> newDocument();
    Result<Outcome> openDocument();
    Result<Outcome> openNamedDocument(const QString &path);
    Result<Outcome> saveDocument();
    bool mayOverwrite(const QString &path);
    Result<Outcome> saveToChosenFile();
    Result<Outcome> printDocument();
    Result<Outcome> findText();
    MaybeFailure writeDocumentFile(const QString &path);
    void report(const Failure &failure);

    DocumentState &m_state;
    EditableText &m_textBox;
    CommonDialog &m_commonDialog;
    Prompter &m_prompter;
    Printer &m_printer;
    FileStore &m_files;
};
