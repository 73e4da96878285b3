#pragma once

#include "core/commanddispatcher.h"
#include "tests/support/memoryeditabletext.h"
#include "tests/support/recordingprinter.h"
#include "tests/support/scripteddialog.h"
#include "tests/support/scriptedprompter.h"

#include <QTemporaryDir>

#include <memory>

// The commands wired as the window wires them, to a text in memory, scripted dialogs, message
// boxes and printer, and a file store working in a temporary folder; no window at all.
class CommandBench
{
public:
    // files: the real file store when not given.
    explicit CommandBench(std::unique_ptr<FileStore> store = nullptr);

    QString path(const QString &name) const { return m_folder.filePath(name); }
    QString writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;
    // Text entered as a user would, marking the document modified.
    void type(const QString &typed) { text.type(typed); }
    // Text loaded as an unchanged, untitled document.
    void setUnchangedText(const QString &text);
    // Fails the running test when a dialog or message box came that the test did not expect.
    void verifyScriptsUsed() const;

    DocumentState document;
    MemoryEditableText text;
    ScriptedPrompter prompter;
    ScriptedDialog dialog;
    RecordingPrinter printer;
    std::unique_ptr<FileStore> files;
    CommandDispatcher commands;

private:
    QTemporaryDir m_folder;
};
