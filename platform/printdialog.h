#pragma once

#include <QPrintDialog>

// Qt's print dialog offering only what the program carries out: the printer or a PDF file,
// copies, paper and orientation, and the printing system's own options. The whole text is
// printed, so there is no choice of pages, selection or current page.
class PrintDialog : public QPrintDialog
{
public:
    PrintDialog(QPrinter *printer, QWidget *parent);

    void setVisible(bool visible) override;
};
