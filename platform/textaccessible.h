#pragma once

#include <QAccessibleWidget>

class TextControl;

// What a screen reader sees of the text control: its text, caret, selection and the place of
// each character, read line by line so that a large document is never copied whole for it.
class TextAccessible : public QAccessibleWidget,
                       public QAccessibleTextInterface,
                       public QAccessibleEditableTextInterface
{
public:
    explicit TextAccessible(TextControl *control);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;

    void selection(int index, int *start, int *end) const override;
    int selectionCount() const override;
    void addSelection(int start, int end) override;
    void removeSelection(int index) override;
    void setSelection(int index, int start, int end) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int start, int end) const override;
    QString textBeforeOffset(
        int offset, QAccessible::TextBoundaryType boundary, int *start, int *end) const override;
    QString textAfterOffset(
        int offset, QAccessible::TextBoundaryType boundary, int *start, int *end) const override;
    QString textAtOffset(
        int offset, QAccessible::TextBoundaryType boundary, int *start, int *end) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    TextControl *control() const;
};

// Lets QAccessible create a TextAccessible for every text control.
void installTextAccessibility();
