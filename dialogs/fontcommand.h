#pragma once

class CommonDialog;
class TextControl;

// The Font... command: the font dialog starts from the editor's font and colour, and only
// its OK hands the choice back. Nothing is stored here; the settings keep the editor's font
// when the program ends.
class FontCommand
{
public:
    FontCommand(CommonDialog &commonDialog, TextControl &textBox);

    void run();

    // The editor keeps font sizes to four decimal places and the dialog hands back single
    // precision; rounding keeps a size the user typed, 8.3, from becoming 8.30000019.
    static double pointsFromSingle(float points);

private:
    void primeDialog();
    void copyBack();

    CommonDialog &m_commonDialog;
    TextControl &m_textBox;
};
