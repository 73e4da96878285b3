#pragma once

#include "platform/commondialog.h"

#include <QQueue>
#include <QStringList>

#include <functional>

// A common dialog whose user is a script: each show takes the next answer, a path, a printer
// setup or a cancel. The properties as they stood at each show are recorded.
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

    void choose(const QString &path) { m_answers.enqueue(Answer { path, {} }); }
    void cancel() { m_answers.enqueue(std::nullopt); }
    // The user presses Print with this printer or file, copies and paper.
    void confirmPrinter(const PrintSetup &setup = PrintSetup())
    {
        m_answers.enqueue(Answer { QString(), setup });
    }
    // The font dialog's user: `choose` changes what the dialog was primed with, nothing
    // given cancels. Each answer sees what the dialog was primed with.
    void answerFont(std::function<void(FontChoice &)> choose)
    {
        m_fontAnswers.enqueue(std::move(choose));
    }
    void cancelFont() { m_fontAnswers.enqueue(nullptr); }

    QList<Shown> shown;
    QList<FontChoice> fontsPrimed;
    QStringList unexpected;

    bool allAnswersUsed() const { return m_answers.isEmpty() && m_fontAnswers.isEmpty(); }

protected:
    std::optional<QString> runFileDialog(FileDialogKind kind) override
    {
        const std::optional<Answer> answer
            = next(kind == FileDialogKind::Open ? QStringLiteral("open") : QStringLiteral("save"));
        if (!answer)
            return std::nullopt;
        return answer->path;
    }

    std::optional<PrintSetup> runPrintDialog() override
    {
        const std::optional<Answer> answer = next(QStringLiteral("print"));
        if (!answer)
            return std::nullopt;
        return answer->printSetup;
    }

    std::optional<FontChoice> runFontDialog(const FontChoice &initial) override
    {
        shown.append({ QStringLiteral("font"), Flags(), Filter(), FileName(), CancelError() });
        fontsPrimed.append(initial);
        if (m_fontAnswers.isEmpty()) {
            unexpected << QStringLiteral("font");
            return std::nullopt;
        }
        const std::function<void(FontChoice &)> choose = m_fontAnswers.dequeue();
        if (!choose)
            return std::nullopt;
        FontChoice chosen = initial;
        choose(chosen);
        return chosen;
    }

private:
    struct Answer
    {
        QString path;
        PrintSetup printSetup;
    };

    std::optional<Answer> next(const QString &kind)
    {
        shown.append({ kind, Flags(), Filter(), FileName(), CancelError() });
        if (m_answers.isEmpty()) {
            unexpected << kind;
            return std::nullopt;
        }
        return m_answers.dequeue();
    }

    QQueue<std::optional<Answer>> m_answers;
    QQueue<std::function<void(FontChoice &)>> m_fontAnswers;
};
