#pragma once

#include "platform/prompter.h"

#include <QQueue>
#include <QStringList>

// Answers message boxes and input boxes from a script and records what was asked. A question
// with no scripted answer is recorded as unexpected and answered with Cancel.
class ScriptedPrompter : public Prompter
{
public:
    struct Asked
    {
        QString text;
        int style;
        QString title;
    };

    void answerMessage(int answer) { m_answers.enqueue(answer); }
    void answerInput(const QString &text) { m_inputs.enqueue(text); }

    int messageBox(const QString &text, int style, const QString &title = QString()) override
    {
        messages.append({ text, style, title });
        if (m_answers.isEmpty()) {
            unexpected << text;
            return MsgBox::Cancel;
        }
        return m_answers.dequeue();
    }

    QString inputBox(const QString &prompt, const QString &title) override
    {
        inputs.append({ prompt, 0, title });
        if (m_inputs.isEmpty()) {
            unexpected << prompt;
            return QString();
        }
        return m_inputs.dequeue();
    }

    bool allAnswersUsed() const { return m_answers.isEmpty() && m_inputs.isEmpty(); }

    QList<Asked> messages;
    QList<Asked> inputs;
    QStringList unexpected;

private:
    QQueue<int> m_answers;
    QQueue<QString> m_inputs;
};
