#include "platform/commondialog.h"

#include "platform/fontcolordialog.h"
#include "platform/printdialog.h"
#include "platform/prompter.h"

#include <QDir>
#include <QFileDialog>
#include <QPrinter>
#include <QStringList>

MaybeFailure CommonDialog::cancelled() const
{
    return m_cancelError ? MaybeFailure(cancelFailure()) : std::nullopt;
}

MaybeFailure CommonDialog::ShowOpen()
{
    const std::optional<QString> chosen = runFileDialog(FileDialogKind::Open);
    if (!chosen)
        return cancelled();
    m_fileName = *chosen;
    return std::nullopt;
}

MaybeFailure CommonDialog::ShowSave()
{
    const std::optional<QString> chosen = runFileDialog(FileDialogKind::Save);
    if (!chosen)
        return cancelled();
    m_fileName = *chosen;
    return std::nullopt;
}

MaybeFailure CommonDialog::ShowPrinter()
{
    std::optional<PrintSetup> chosen = runPrintDialog();
    m_printSetup = chosen ? std::move(*chosen) : PrintSetup();
    if (!chosen)
        return cancelled();
    return std::nullopt;
}

MaybeFailure CommonDialog::ShowFont()
{
    const std::optional<FontChoice> chosen = runFontDialog(m_font);
    if (!chosen)
        return cancelled();
    m_font = *chosen;
    return std::nullopt;
}

WidgetCommonDialog::WidgetCommonDialog(QWidget *owner)
    : m_owner(owner)
{ }

QWidget *WidgetCommonDialog::owner() const
{
    return dialogOwner(m_owner);
}

QString WidgetCommonDialog::qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList lines;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        QString pattern = parts.at(i + 1);
        pattern.replace(QLatin1String("*.*"), QLatin1String("*"));
        const int paren = description.indexOf(QLatin1Char('('));
        if (paren >= 0)
            description = description.left(paren).trimmed();
        lines << description + QStringLiteral(" (")
                + pattern.replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    }
    return lines.join(QStringLiteral(";;"));
}

std::optional<QString> WidgetCommonDialog::runFileDialog(FileDialogKind kind)
{
    QFileDialog dialog(owner());
    dialog.setNameFilter(qtNameFilters(Filter()));
    if (kind == FileDialogKind::Open) {
        // A name that does not exist yet is accepted; opening it then reports the missing file.
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Flags() & OverwritePrompt));
    }
    if (!FileName().isEmpty())
        dialog.selectFile(FileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

std::optional<PrintSetup> WidgetCommonDialog::runPrintDialog()
{
    // A new printer each time: the dialog opens on the system's default printer.
    QPrinter printer(QPrinter::HighResolution);
    PrintDialog dialog(&printer, owner());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return PrintSetup::fromPrinter(printer);
}

std::optional<CommonDialog::FontChoice> WidgetCommonDialog::runFontDialog(const FontChoice &initial)
{
    FontColorDialog dialog(owner());
    dialog.setChoice(initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}
