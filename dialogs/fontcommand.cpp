#include "dialogs/fontcommand.h"

#include "engine/textcontrol.h"
#include "platform/commondialog.h"

#include <cmath>

FontCommand::FontCommand(CommonDialog &commonDialog, TextControl &textBox)
    : m_commonDialog(commonDialog)
    , m_textBox(textBox)
{ }

double FontCommand::pointsFromSingle(float points)
{
    return std::round(double(points) * 10000.0) / 10000.0;
}

void FontCommand::run()
{
    m_commonDialog.setCancelError(true);
    m_commonDialog.setFlags(CommonDialog::ScreenFonts | CommonDialog::Effects);
    primeDialog();
    // Cancel, or any other failure of the dialog, ends the command silently with the
    // editor's font and colour as they were.
    if (m_commonDialog.ShowFont())
        return;
    copyBack();
}

void FontCommand::primeDialog()
{
    const ControlFont font = m_textBox.controlFont();
    m_commonDialog.setFontName(font.name);
    m_commonDialog.setFontBold(font.bold);
    m_commonDialog.setFontItalic(font.italic);
    m_commonDialog.setFontSize(float(font.size));
    m_commonDialog.setFontStrikethru(font.strikethrough);
    m_commonDialog.setFontUnderline(font.underline);
    m_commonDialog.setColor(m_textBox.foreColor());
}

void FontCommand::copyBack()
{
    ControlFont font = m_textBox.controlFont();
    font.name = m_commonDialog.FontName();
    font.bold = m_commonDialog.FontBold();
    font.italic = m_commonDialog.FontItalic();
    font.size = pointsFromSingle(m_commonDialog.FontSize());
    font.strikethrough = m_commonDialog.FontStrikethru();
    font.underline = m_commonDialog.FontUnderline();
    m_textBox.setControlFont(font);
    m_textBox.setForeColor(m_commonDialog.Color());
}
