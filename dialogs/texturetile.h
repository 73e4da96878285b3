#pragma once

#include <QFrame>
#include <QPixmap>

// One tile of the background chooser: its picture stretched over the whole tile, a flat
// single-line border at rest and a sunken 3-D one when highlighted.
class TextureTile : public QFrame
{
    Q_OBJECT
public:
    enum Appearance { Flat = 0, ThreeD = 1 };

    // The picture is read from picturePath when it is first needed, so a chooser that stays
    // hidden costs the program's start nothing; an empty path is the tile without a picture.
    TextureTile(int index, const QString &picturePath, QWidget *parent = nullptr);

    int Index() const { return m_index; }
    QPixmap Picture() const;
    int appearance() const { return m_appearance; }
    void setAppearance(int appearance);
    // What a click on the tile does, for those who click without the mouse.
    void click();

Q_SIGNALS:
    void Click(int index);
    void DblClick(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    int m_index;
    QString m_picturePath;
    mutable QPixmap m_picture;
    int m_appearance = Flat;
    // The release that ends a double-click is not a click of its own.
    bool m_inDoubleClick = false;
};
