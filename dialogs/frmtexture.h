#pragma once

#include "core/backgroundselection.h"
#include "platform/tiledpicture.h"

#include <QDialog>
#include <QVector>

class QGroupBox;
class QPushButton;
class TextureTile;

// The background chooser. It is built when first shown and then lives as long as the
// program: its buttons hide it and never destroy it.
class frmTexture : public QDialog
{
    Q_OBJECT
public:
    frmTexture(BackgroundSelection &selection, TiledPicture &image, QWidget *parent = nullptr);

    // The picture of tile `index`; tile 4 and indexes outside the tiles have none. Needs no
    // chooser, so the window's start does not build one.
    static TilePicture tilePicture(int index);
    TextureTile *ImgTexture(int index) const { return m_tiles.value(index); }
    qint16 HighlightedTile() const { return m_highlightedTile; }

    void selectTile(int index);
    void apply();
    void confirm();
    void cancel();
    // Esc and the title bar's close box mean Cancel: closing must not leave an applied but
    // unconfirmed background behind.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createTiles(QGroupBox *frame);
    void createNoneTile(QGroupBox *frame);
    QPushButton *createButton(
        const QString &name, const QString &caption, double left, void (frmTexture::*handler)());
    void activate();

    BackgroundSelection &m_selection;
    TiledPicture &m_image;
    QVector<TextureTile *> m_tiles;
    qint16 m_highlightedTile = 0;
    bool m_shownBefore = false;
};
