#pragma once

#include <QToolButton>

// A flat picture button of the toolbar. Pixels of the glyph in the mask colour
// (RGB 192, 192, 192) let the bar show through.
class Softbutton : public QToolButton
{
    Q_OBJECT
public:
    // Each button is a square of this side, in twips.
    static constexpr double Side = 345;

    Softbutton(
        int index, const QString &glyphPath, const QString &tooltip, QWidget *parent = nullptr);

    int Index() const { return m_index; }

Q_SIGNALS:
    void Click(int index);

private:
    int m_index;
};
