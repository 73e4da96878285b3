#include "tests/support/commandbench.h"
#include "tests/support/testenvironment.h"

#include <QFile>
#include <QtTest>

CommandBench::CommandBench(std::unique_ptr<FileStore> store)
    : files(store ? std::move(store) : std::make_unique<DiskFileStore>())
    , commands(document, text, dialog, prompter, printer, *files)
{
    text.onChanged = [this] {
        document.setTextChanged(true);
    };
}

QString CommandBench::writeFile(const QString &name, const QByteArray &bytes) const
{
    return writeTestFile(path(name), bytes);
}

QByteArray CommandBench::readFile(const QString &name) const
{
    return readTestFile(path(name));
}

void CommandBench::setUnchangedText(const QString &newText)
{
    text.setText(newText);
    document.setTextChanged(false);
}

void CommandBench::verifyScriptsUsed() const
{
    QVERIFY2(
        prompter.unexpected.isEmpty(), qPrintable(prompter.unexpected.join(QLatin1String(" | "))));
    QVERIFY2(dialog.unexpected.isEmpty(), qPrintable(dialog.unexpected.join(QLatin1String(" | "))));
    QVERIFY2(prompter.allAnswersUsed(), "a scripted answer was never asked for");
    QVERIFY2(dialog.allAnswersUsed(), "a scripted dialog answer was never asked for");
}
