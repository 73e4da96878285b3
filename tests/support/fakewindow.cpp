#include "tests/support/fakewindow.h"
#include "tests/support/testenvironment.h"

#include "engine/textcontrol.h"

#include <QFile>
#include <QtTest>

FakeWindow::FakeWindow(std::unique_ptr<FileStore> files)
{
    PlatformServices services;
    auto scriptedPrompter = std::make_unique<ScriptedPrompter>();
    auto scriptedDialog = std::make_unique<ScriptedDialog>();
    auto recordingPrinter = std::make_unique<RecordingPrinter>();
    prompter = scriptedPrompter.get();
    dialog = scriptedDialog.get();
    printer = recordingPrinter.get();
    services.prompter = std::move(scriptedPrompter);
    services.commonDialog = std::move(scriptedDialog);
    services.printer = std::move(recordingPrinter);
    services.files = files ? std::move(files) : std::make_unique<DiskFileStore>();
    auto recordingShell = std::make_unique<RecordingShell>();
    shell = recordingShell.get();
    services.shell = std::move(recordingShell);
    services.endProgram = [this] {
        ++endProgramCalls;
    };
    auto memorySettings = std::make_unique<MemorySettingsFile>();
    auto memoryRegistry = std::make_unique<MemoryRegistry>();
    settings = memorySettings.get();
    registry = memoryRegistry.get();
    services.settings = std::move(memorySettings);
    services.registry = std::move(memoryRegistry);
    services.programFolder = programFolder();
    services.showModal = [this](QDialog &shown) {
        modalsShown << shown.objectName();
        if (onModal)
            onModal(shown);
        else
            prompter->unexpected << QStringLiteral("modal dialog ") + shown.objectName();
    };
    form = std::make_unique<Form1>(std::move(services));
}

QString FakeWindow::writeFile(const QString &name, const QByteArray &bytes) const
{
    return writeTestFile(path(name), bytes);
}

QByteArray FakeWindow::readFile(const QString &name) const
{
    return readTestFile(path(name));
}

void FakeWindow::type(const QString &text)
{
    form->textBox()->setSelText(text);
}

void FakeWindow::setUnchangedText(const QString &text)
{
    form->textBox()->setText(text);
    form->document().setTextChanged(false);
}

void FakeWindow::verifyScriptsUsed() const
{
    QVERIFY2(prompter->unexpected.isEmpty(),
        qPrintable(prompter->unexpected.join(QLatin1String(" | "))));
    QVERIFY2(
        dialog->unexpected.isEmpty(), qPrintable(dialog->unexpected.join(QLatin1String(" | "))));
    QVERIFY2(prompter->allAnswersUsed(), "a scripted answer was never asked for");
    QVERIFY2(dialog->allAnswersUsed(), "a scripted dialog answer was never asked for");
}
