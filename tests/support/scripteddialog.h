#pragma once

#include "platform/commondialog.h"

#include <QQueue>
#include <QStringList>

// A common dialog whose user is a script: each show takes the next answer, a path or a
// cancel. The properties as they stood at each show are recorded.
class ScriptedDialog : public CommonDialog
{
public:
    struct Shown
    {
        QString kind;
        int flags;
        QString filter;
        QString fileName;
        bool cancelError;
    };

    void choose(const QString &path) { m_answers.enqueue(path); }
    void cancel() { m_answers.enqueue(std::nullopt); }
    void confirmPrinter() { m_answers.enqueue(QStringLiteral("printer")); }

    QList<Shown> shown;
    QStringList unexpected;

    bool allAnswersUsed() const { return m_answers.isEmpty(); }

protected:
    std::optional<QString> runFileDialog(FileDialogKind kind) override
    {
        return next(kind == FileDialogKind::Open ? QStringLiteral("open") : QStringLiteral("save"));
    }

    bool runPrintDialog() override { return next(QStringLiteral("print")).has_value(); }

private:
    std::optional<QString> next(const QString &kind)
    {
        shown.append({ kind, Flags(), Filter(), FileName(), CancelError() });
        if (m_answers.isEmpty()) {
            unexpected << kind;
            return std::nullopt;
        }
        return m_answers.dequeue();
    }

    QQueue<std::optional<QString>> m_answers;
};
