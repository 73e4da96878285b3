#pragma once

#include "platform/tiledpicture.h"

#include <QFrame>

// One tile of the background chooser: its picture stretched over the whole tile, a flat
// single-line border at rest and a sunken 3-D one when highlighted.
class TextureTile : public QFrame
{
    Q_OBJECT
public:
    enum Appearance { Flat = 0, ThreeD = 1 };

    // The picture is read when it is first drawn, so a chooser that stays hidden costs the
    // program's start nothing. It is shown in the rendition that the window's background
    // would show under the text.
    TextureTile(
        int index, const TilePicture &picture, const TiledPicture &shownUnder, QWidget *parent);

    int Index() const { return m_index; }
    TilePicture Picture() const { return m_picture; }
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
    TilePicture m_picture;
    const TiledPicture &m_shownUnder;
    int m_appearance = Flat;
    // The release that ends a double-click is not a click of its own.
    bool m_inDoubleClick = false;
};
