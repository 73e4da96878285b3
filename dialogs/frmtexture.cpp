#include "dialogs/frmtexture.h"

#include "dialogs/texturetile.h"
#include "platform/dialoggeometry.h"
#include "platform/sharppixmap.h"
#include "platform/tiledpicture.h"

#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

struct Tile
{
    double left;
    double top;
    double width;
    double height;
    const char *picture; // nullptr: the "(none)" tile
    // What screen readers call the tile, for want of a caption.
    const char *name;
};

// In twips, relative to the frame. Tile 6 is the main window's built-in background, so a
// stored 6 shows exactly what a first start shows.
const Tile Tiles[BackgroundSelection::TileCount] = {
    { 120, 270, 1560, 1095, ":/assets/textures/stucco.gif", "Stucco" },
    { 1725, 270, 1095, 1095, ":/assets/textures/marble.gif", "Marble" },
    { 2865, 270, 1095, 1095, ":/assets/textures/wood.gif", "Wood" },
    { 4005, 270, 1095, 1095, ":/assets/textures/watercolour.jpg", "Watercolour" },
    { 120, 1395, 1560, 1095, nullptr, "None" },
    { 1725, 1395, 1095, 1095, ":/assets/textures/canvas.gif", "Canvas" },
    { 2865, 1395, 1095, 1095, ":/assets/background.gif", "Paper" },
};

// Draws the empty tile in the colour the main window shows when it has no picture.
class NoPictureShape : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), palette().color(QPalette::Base));
    }
};

} // namespace

frmTexture::frmTexture(BackgroundSelection &selection, TiledPicture &image, QWidget *parent)
    : QDialog(parent)
    , m_selection(selection)
    , m_image(image)
{
    setObjectName(QStringLiteral("frmTexture"));
    setWindowTitle(QStringLiteral("OmrikNote"));
    setWindowIcon(sharpIcon(QStringLiteral(":/assets/omriknote.xpm")));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(twipsRect(0, 0, 5460, 3225).size());

    auto *frame
        = new QGroupBox(QStringLiteral("Select a background (size may be different)"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(60, 45, 5340, 2685));
    createNoneTile(frame);
    createTiles(frame);
    frame->findChild<QLabel *>(QStringLiteral("Label1"))->raise();

    // Created in tab order, which the buttons' left-to-right order reverses.
    createButton(QStringLiteral("Command1"), QStringLiteral("Apply"), 4215, &frmTexture::apply);
    createButton(QStringLiteral("Command2"), QStringLiteral("Cancel"), 3015, &frmTexture::cancel);
    createButton(QStringLiteral("Command3"), QStringLiteral("OK"), 1815, &frmTexture::confirm)
        ->setDefault(true);
}

void frmTexture::createNoneTile(QGroupBox *frame)
{
    // Lies below tile 4, whose empty inside lets it show and whose border stays on top.
    auto *shape = new NoPictureShape(frame);
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setGeometry(twipsRect(135, 1395, 1545, 1095));
    shape->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *label = new QLabel(QStringLiteral("(none)"), frame);
    label->setObjectName(QStringLiteral("Label1"));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->adjustSize();
    // Centred on the tile, whatever width the desktop's font gives the caption.
    QRect placed = label->geometry();
    const Tile &none = Tiles[BackgroundSelection::NoPictureTile];
    placed.moveCenter(twipsRect(none.left, none.top, none.width, none.height).center());
    label->setGeometry(placed);
}

void frmTexture::createTiles(QGroupBox *frame)
{
    for (int index = 0; index < BackgroundSelection::TileCount; ++index) {
        const Tile &tile = Tiles[index];
        auto *imgTexture = new TextureTile(index, tilePicture(index), m_image, frame);
        imgTexture->setGeometry(twipsRect(tile.left, tile.top, tile.width, tile.height));
        imgTexture->setAccessibleName(QString::fromLatin1(tile.name));
        connect(imgTexture, &TextureTile::Click, this, &frmTexture::selectTile);
        connect(imgTexture, &TextureTile::DblClick, this, [this](int clicked) {
            selectTile(clicked);
            confirm();
        });
        m_tiles.append(imgTexture);
    }
}

QPushButton *frmTexture::createButton(
    const QString &name, const QString &caption, double left, void (frmTexture::*handler)())
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(twipsRect(left, 2775, 1170, 390));
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

TilePicture frmTexture::tilePicture(int index)
{
    if (index < 0 || index >= BackgroundSelection::TileCount || !Tiles[index].picture)
        return TilePicture();
    return TilePicture(QString::fromLatin1(Tiles[index].picture));
}

void frmTexture::selectTile(int index)
{
    if (!m_tiles.value(index))
        return;
    m_tiles.at(m_highlightedTile)->setAppearance(TextureTile::Flat);
    m_tiles.at(index)->setAppearance(TextureTile::ThreeD);
    m_highlightedTile = qint16(index);
    m_selection.BackgroundIndex = index;
}

void frmTexture::apply()
{
    m_image.setPicture(tilePicture(m_selection.BackgroundIndex));
}

void frmTexture::confirm()
{
    apply();
    m_selection.ConfirmedBackgroundIndex = qint16(m_selection.BackgroundIndex);
    QDialog::accept();
}

void frmTexture::cancel()
{
    selectTile(m_selection.ConfirmedBackgroundIndex);
    m_image.setPicture(tilePicture(m_selection.ConfirmedBackgroundIndex));
    QDialog::reject();
}

void frmTexture::reject()
{
    cancel();
}

void frmTexture::activate()
{
    // Every tile goes flat, not only tile 0: a selection changed while the chooser was
    // hidden must not leave a second tile looking chosen.
    for (TextureTile *tile : qAsConst(m_tiles))
        tile->setAppearance(TextureTile::Flat);
    m_highlightedTile = 0;
    selectTile(m_selection.BackgroundIndex);
}

void frmTexture::showEvent(QShowEvent *event)
{
    // The chooser is modal, so nothing can change the selection while it is active; showing
    // is the one moment the highlight has to catch up.
    activate();
    if (!m_shownBefore) {
        m_shownBefore = true;
        centreOnScreen(this);
        // The first button in tab order starts with the focus, so that Enter applies
        // without closing, as the chooser always has.
        findChild<QPushButton *>(QStringLiteral("Command1"))->setFocus();
    }
    QDialog::showEvent(event);
}
