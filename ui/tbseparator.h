#pragma once

#include <QWidget>

// The grip at the left end of the toolbar: two raised vertical bars.
class TBSeparator : public QWidget
{
    Q_OBJECT
public:
    explicit TBSeparator(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
