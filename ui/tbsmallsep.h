#pragma once

#include <QWidget>

// An etched vertical line between groups of toolbar buttons. The lines keep their length
// whatever size the control is given.
class TBSmallSep : public QWidget
{
    Q_OBJECT
public:
    explicit TBSmallSep(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
