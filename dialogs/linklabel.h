#pragma once

#include <QLabel>

// A caption that works as a link: underlined, in link blue, with the pointing hand over it.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    LinkLabel(const QString &text, const QString &tooltip, QWidget *parent = nullptr);

    // What a click on the link does, for those who click without the mouse.
    void click();

Q_SIGNALS:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
