#pragma once

#include "platform/commondialog.h"

#include <QDialog>

class QComboBox;
class QFontDialog;

// Qt's font dialog has no colour list, so the font page and a colour list share one modal
// window: the user chooses both in one go and confirms or cancels both at once.
class FontColorDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FontColorDialog(QWidget *parent = nullptr);

    void setChoice(const CommonDialog::FontChoice &choice);
    CommonDialog::FontChoice choice() const;

private:
    void addColour(const QString &name, quint32 value);
    void selectColour(quint32 value);
    void onColourActivated(int index);
    void watchSizePicks();

    QFontDialog *m_fonts;
    QComboBox *m_colours;
    float m_initialSize = 0;
    int m_shownSize = 0;
    bool m_sizePicked = false;
    quint32 m_colour = 0;
};
