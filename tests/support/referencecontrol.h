#pragma once

#include <QPlainTextEdit>

// The editing area as the program first had it: Qt's QPlainTextEdit with the classic edit
// control's single-step undo. The differential tests hold the text control to its behaviour.
class ReferenceControl : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ReferenceControl(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    void setSelText(const QString &text);
    int selStart() const;
    void setSelStart(int position);
    void setSelLength(int length);
    int anchorPosition() const { return textCursor().anchor(); }
    int caretPosition() const { return textCursor().position(); }
    void setWordWrap(bool on);
    void undoLastEdit();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_undoneLast = false;
    bool m_undoing = false;
};
