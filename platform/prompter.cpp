#include "platform/prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace {

QString withLineBreaks(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

QString applicationTitle()
{
    return QStringLiteral("OmrikNote");
}

WidgetPrompter::WidgetPrompter(QWidget *owner)
    : m_owner(owner)
{ }

QWidget *WidgetPrompter::owner() const
{
    return dialogOwner(m_owner);
}

QWidget *dialogOwner(QWidget *preferred)
{
    if (preferred)
        return preferred;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->isVisible() && window->inherits("QMainWindow"))
            return window;
    }
    // During start-up the main window exists but is not shown yet. A box that belongs to it
    // stays above it once it shows: a window manager keeps it there, and where none runs,
    // windows lie in the order they were made, and Qt makes the owner's before the box's.
    for (QWidget *window : windows) {
        if (window->inherits("QMainWindow"))
            return window;
    }
    return nullptr;
}

int WidgetPrompter::messageBox(const QString &text, int style, const QString &title)
{
    QMessageBox box(owner());
    box.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    // Texts carry file names, paths and system messages: "<b>x.txt" is a name, not markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(withLineBreaks(text));
    box.setIcon((style & 0xF0) == MsgBox::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    const bool secondIsDefault = (style & 0xF00) == MsgBox::DefaultButton2;
    if ((style & 0xF) == MsgBox::YesNoCancel) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(secondIsDefault ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
    } else if ((style & 0xF) == MsgBox::YesNo) {
        // Without a Cancel, Escape answers No, the answer that changes nothing.
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(secondIsDefault ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MsgBox::Yes;
    case QMessageBox::No:
        return MsgBox::No;
    case QMessageBox::Cancel:
        return MsgBox::Cancel;
    default:
        switch (style & 0xF) {
        case MsgBox::YesNoCancel:
            return MsgBox::Cancel;
        case MsgBox::YesNo:
            return MsgBox::No;
        default:
            return MsgBox::Ok;
        }
    }
}

QString WidgetPrompter::inputBox(const QString &prompt, const QString &title)
{
    QInputDialog dialog(owner());
    dialog.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    // The dialog makes its label the buddy of the entry field, which turns a single "&" into a
    // mnemonic; doubled, it shows as written.
    dialog.setLabelText(withLineBreaks(prompt).replace(QLatin1Char('&'), QStringLiteral("&&")));
    if (auto *label = dialog.findChild<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}
