#pragma once

#include "tests/support/memoryregistry.h"
#include "tests/support/memorysettingsfile.h"
#include "tests/support/recordingprinter.h"
#include "tests/support/recordingshell.h"
#include "tests/support/scripteddialog.h"
#include "tests/support/scriptedprompter.h"
#include "ui/form1.h"

#include <QTemporaryDir>

#include <memory>

// The main window wired to scripted dialogs, message boxes and printer, with the real file
// store working in a temporary folder.
class FakeWindow
{
public:
    // files: the real file store when not given.
    explicit FakeWindow(std::unique_ptr<FileStore> files = nullptr);
    // The folder the program pretends to run from.
    static QString programFolder() { return QStringLiteral("/opt/omrik"); }

    QString path(const QString &name) const { return m_folder.filePath(name); }
    QString writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;
    // Text entered as a user would, marking the document modified.
    void type(const QString &text);
    // Text loaded as an unchanged, untitled document.
    void setUnchangedText(const QString &text);
    // Fails the running test when a dialog or message box came that the test did not expect.
    void verifyScriptsUsed() const;

    ScriptedPrompter *prompter;
    ScriptedDialog *dialog;
    RecordingPrinter *printer;
    RecordingShell *shell;
    MemorySettingsFile *settings;
    MemoryRegistry *registry;
    // What the "user" does with a modal dialog of the program's own; unset means none is expected.
    std::function<void(QDialog &)> onModal;
    QStringList modalsShown;
    int endProgramCalls = 0;
    std::unique_ptr<Form1> form;

private:
    QTemporaryDir m_folder;
};
