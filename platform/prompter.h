#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

// Message box styles and answers keep their classic numeric values; stored scripts and tests
// speak of "Yes (6)" and "style 0x33".
namespace MsgBox {
enum Style : int {
    OkOnly = 0x0,
    YesNoCancel = 0x3,
    YesNo = 0x4,
    Exclamation = 0x30,
    DefaultButton2 = 0x100,
};
enum Answer : int {
    Ok = 1,
    Cancel = 2,
    Yes = 6,
    No = 7,
};
} // namespace MsgBox

// Modal questions to the user. Texts use a single CR as line break.
class Prompter
{
public:
    virtual ~Prompter() = default;
    // An empty title shows the application's name.
    virtual int messageBox(const QString &text, int style, const QString &title = QString()) = 0;
    // Returns the text entered, or an empty string when the user cancels.
    virtual QString inputBox(const QString &prompt, const QString &title) = 0;
};

class WidgetPrompter : public Prompter
{
public:
    // Dialogs belong to the given window, or to the active one when none is given.
    explicit WidgetPrompter(QWidget *owner = nullptr);

    int messageBox(const QString &text, int style, const QString &title = QString()) override;
    QString inputBox(const QString &prompt, const QString &title) override;

private:
    QWidget *owner() const;

    QPointer<QWidget> m_owner;
};

QString applicationTitle();

// The window a dialog belongs to when its caller named none: the active window, or else the
// program's main window, shown or still being set up, so that a box never floats free after
// another dialog has closed or before the main window is up.
QWidget *dialogOwner(QWidget *preferred);
