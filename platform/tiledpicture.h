#pragma once

#include <QPixmap>
#include <QWidget>

// A picture repeated from the top left corner over the whole area; the window background
// colour shows where there is no picture.
class TiledPicture : public QWidget
{
    Q_OBJECT
public:
    explicit TiledPicture(QWidget *parent = nullptr);

    QPixmap Picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};
