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

// What assistive technology is told of the control's changes. Qt's bridges read each event as
// the class that its type stands for, so each goes out as that class.
namespace TextAccessibleEvents {

// A screen reader speaks a change, it does not need megabytes of it: what it reads of the
// text afterwards it asks for. Changes are told up to this many characters.
constexpr qsizetype ReportedText = 64 * 1024;

// At `at`, `removed` was taken out and `inserted` put in.
void textChanged(
    TextControl *control, qsizetype at, const QString &removed, const QString &inserted);
void caretMoved(TextControl *control, qsizetype caret);
void selectionChanged(TextControl *control, qsizetype start, qsizetype end);

} // namespace TextAccessibleEvents
