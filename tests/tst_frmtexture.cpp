#include "dialogs/frmtexture.h"
#include "dialogs/texturetile.h"
#include "platform/tiledpicture.h"
#include "tests/support/fakewindow.h"
#include "tests/support/testenvironment.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <cmath>

namespace {

double luminance(QRgb pixel)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(pixel)) + 0.7152 * channel(qGreen(pixel))
        + 0.0722 * channel(qBlue(pixel));
}

// The contrast of text against the pixel of the picture that is nearest to it in brightness.
double worstContrast(const QImage &picture, QRgb text)
{
    double worst = 21;
    const double textLight = luminance(text) + 0.05;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const double light = luminance(picture.pixel(x, y)) + 0.05;
            worst = std::min(worst, std::max(light, textLight) / std::min(light, textLight));
        }
    }
    return worst;
}

} // namespace

class TestFrmTexture : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void tilesAndButtons();
    void scenarios_data();
    void scenarios();
    void opensWithExactlyOneHighlightedTile_data();
    void opensWithExactlyOneHighlightedTile();
    void startUpLoadsTheChooserHidden();
    void menuShowsTheSameChooser();
    void tilesAreChoicesToScreenReaders_data();
    void tilesAreChoicesToScreenReaders();
    void everyRenditionKeepsTextReadable_data();
    void everyRenditionKeepsTextReadable();
    void chooserShowsTheRenditionTheTextGets();

private:
    void open();
    void run(const QString &step);
    QString highlighted() const;
    QString checkedForScreenReaders() const;
    QPushButton *button(const char *name) const
    {
        return m_chooser->findChild<QPushButton *>(QLatin1String(name));
    }

    std::unique_ptr<QWidget> m_window;
    TiledPicture *m_image = nullptr;
    BackgroundSelection m_selection;
    frmTexture *m_chooser = nullptr;
};

void TestFrmTexture::init()
{
    m_window = std::make_unique<QWidget>();
    m_image = new TiledPicture(m_window.get());
    m_selection = BackgroundSelection();
    m_chooser = new frmTexture(m_selection, *m_image, m_window.get());
    // As start-up leaves it with no stored choice.
    m_selection.BackgroundIndex = BackgroundSelection::DefaultTile;
    m_selection.ConfirmedBackgroundIndex = BackgroundSelection::DefaultTile;
    m_image->setPicture(m_chooser->tilePicture(BackgroundSelection::DefaultTile));
}

void TestFrmTexture::cleanup()
{
    m_window.reset();
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void TestFrmTexture::open()
{
    m_chooser->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_chooser));
}

// The tiles with a 3-D edge, as "3" or "1,5"; empty when all are flat.
QString TestFrmTexture::highlighted() const
{
    QStringList raised;
    for (int index = 0; index < BackgroundSelection::TileCount; ++index) {
        if (m_chooser->ImgTexture(index)->appearance() == TextureTile::ThreeD)
            raised << QString::number(index);
    }
    return raised.join(QLatin1Char(','));
}

void TestFrmTexture::tilesAndButtons()
{
    QCOMPARE(m_chooser->windowTitle(), QStringLiteral("OmrikNote"));
    QVERIFY(!m_chooser->windowIcon().isNull());
    QCOMPARE(m_chooser->size(), QSize(364, 215));
    QCOMPARE(m_chooser->findChild<QGroupBox *>(QStringLiteral("Frame1"))->title(),
        QStringLiteral("Select a background (size may be different)"));

    const QSize pictureSizes[] = {
        { 99, 66 }, { 140, 140 }, { 187, 141 }, { 150, 190 }, { 0, 0 }, { 100, 110 }, { 100, 100 }
    };
    for (int index = 0; index < BackgroundSelection::TileCount; ++index) {
        QCOMPARE(m_chooser->tilePicture(index).rendition(Qt::black).size(), pictureSizes[index]);
        QCOMPARE(m_chooser->ImgTexture(index)->appearance(), int(TextureTile::Flat));
        QCOMPARE(m_chooser->ImgTexture(index)->focusPolicy(), Qt::NoFocus);
    }
    QVERIFY(m_chooser->tilePicture(4).isNull());
    QVERIFY(m_chooser->tilePicture(7).isNull());
    QCOMPARE(m_chooser->tilePicture(6).rendition(Qt::black).toImage(),
        QImage(QStringLiteral(":/assets/background.gif")).convertToFormat(QImage::Format_RGB32));
    QCOMPARE(m_chooser->ImgTexture(0)->geometry(), QRect(8, 18, 104, 73));
    QCOMPARE(m_chooser->ImgTexture(6)->geometry(), QRect(191, 93, 73, 73));

    // The "(none)" caption sits on tile 4 and lets its clicks through.
    auto *none = m_chooser->findChild<QLabel *>(QStringLiteral("Label1"));
    QCOMPARE(none->text(), QStringLiteral("(none)"));
    QVERIFY(m_chooser->ImgTexture(4)->geometry().contains(none->geometry()));
    QVERIFY(none->testAttribute(Qt::WA_TransparentForMouseEvents));

    QVERIFY(button("Command3")->x() < button("Command2")->x());
    QVERIFY(button("Command2")->x() < button("Command1")->x());
    QCOMPARE(button("Command3")->text(), QStringLiteral("OK"));
    QVERIFY(button("Command3")->isDefault());
    open();
    QCOMPARE(QApplication::focusWidget(), button("Command1"));
    QWidget *next = m_chooser->focusWidget();
    QStringList chain;
    for (int i = 0; i < 3; ++i, next = next->nextInFocusChain()) {
        while (next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        chain << next->objectName();
    }
    QCOMPARE(chain, QStringList({ "Command1", "Command2", "Command3" }));
}

// The tiles that screen readers are told are checked, as highlighted() gives them.
QString TestFrmTexture::checkedForScreenReaders() const
{
    QStringList checked;
    for (int index = 0; index < BackgroundSelection::TileCount; ++index) {
        if (QAccessible::queryAccessibleInterface(m_chooser->ImgTexture(index))->state().checked)
            checked << QString::number(index);
    }
    return checked.join(QLatin1Char(','));
}

// Steps: "c5" clicks tile 5, "d1" double-clicks tile 1, "p2" presses tile 2 as a screen reader
// does; the rest name buttons and keys.
void TestFrmTexture::run(const QString &step)
{
    const QString verb = step.left(1);
    bool isTile = false;
    const int tile = step.mid(1).toInt(&isTile);
    if (isTile && verb == QLatin1String("c")) {
        QTest::mouseClick(m_chooser->ImgTexture(tile), Qt::LeftButton);
    } else if (isTile && verb == QLatin1String("p")) {
        QAccessible::queryAccessibleInterface(m_chooser->ImgTexture(tile))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
    } else if (isTile && verb == QLatin1String("d")) {
        QTest::mouseClick(m_chooser->ImgTexture(tile), Qt::LeftButton);
        QTest::mouseDClick(m_chooser->ImgTexture(tile), Qt::LeftButton);
    } else if (step == QLatin1String("apply")) {
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
    } else if (step == QLatin1String("cancel")) {
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
    } else if (step == QLatin1String("ok")) {
        QTest::mouseClick(button("Command3"), Qt::LeftButton);
    } else if (step == QLatin1String("esc")) {
        QTest::keyClick(m_chooser, Qt::Key_Escape);
    } else if (step == QLatin1String("enter")) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    } else if (step == QLatin1String("close")) {
        m_chooser->close();
    } else if (step == QLatin1String("open")) {
        open();
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

void TestFrmTexture::scenarios_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("picture"); // the tile whose picture the main window shows
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("confirmed");
    QTest::addColumn<bool>("visible");
    QTest::newRow("click moves the edge, not the picture") << "c5" << 3 << 5 << 3 << true;
    QTest::newRow("click, click again elsewhere") << "c5 c0" << 3 << 0 << 3 << true;
    QTest::newRow("a screen reader's press is a click") << "p5" << 3 << 5 << 3 << true;
    QTest::newRow("press, apply, OK") << "p0 apply p2 ok" << 2 << 2 << 2 << false;
    QTest::newRow("apply keeps it open") << "c5 apply" << 5 << 5 << 3 << true;
    QTest::newRow("apply, cancel: back to the old tile")
        << "c5 apply cancel" << 3 << 3 << 3 << false;
    QTest::newRow("apply, OK, reopen, cancel: keeps the OK")
        << "c5 apply ok open c1 apply cancel" << 5 << 5 << 5 << false;
    QTest::newRow("double-click applies, confirms, closes") << "d1" << 1 << 1 << 1 << false;
    QTest::newRow("tile 4 leaves no picture") << "c4 ok" << 4 << 4 << 4 << false;
    QTest::newRow("Esc cancels") << "c2 apply esc" << 3 << 3 << 3 << false;
    QTest::newRow("close box cancels") << "c2 apply close" << 3 << 3 << 3 << false;
    QTest::newRow("Enter on first showing applies") << "c2 enter" << 2 << 2 << 3 << true;
    QTest::newRow("Enter after OK has the focus confirms")
        << "c2 ok open c6 enter" << 6 << 6 << 6 << false;
}

void TestFrmTexture::scenarios()
{
    QFETCH(QString, steps);
    QFETCH(int, picture);
    QFETCH(int, selected);
    QFETCH(int, confirmed);
    QFETCH(bool, visible);
    open();
    for (const QString &step : steps.split(QLatin1Char(' ')))
        run(step);
    QVERIFY(m_image->Picture() == m_chooser->tilePicture(picture));
    QCOMPARE(m_selection.BackgroundIndex, selected);
    QCOMPARE(int(m_selection.ConfirmedBackgroundIndex), confirmed);
    QCOMPARE(m_chooser->isVisible(), visible);
    QCOMPARE(highlighted(), QString::number(selected));
    QCOMPARE(checkedForScreenReaders(), QString::number(selected));
    QCOMPARE(int(m_chooser->HighlightedTile()), selected);
}

void TestFrmTexture::opensWithExactlyOneHighlightedTile_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("stored");
    for (int tile = 0; tile < BackgroundSelection::TileCount; ++tile) {
        QTest::addRow("first showing, tile %d", tile) << -1 << tile;
        QTest::addRow("tile 5 confirmed last, then tile %d set while hidden", tile) << 5 << tile;
    }
}

void TestFrmTexture::opensWithExactlyOneHighlightedTile()
{
    QFETCH(int, before);
    QFETCH(int, stored);
    if (before >= 0) {
        open();
        run(QStringLiteral("c%1").arg(before));
        run(QStringLiteral("ok"));
    }
    m_selection.BackgroundIndex = stored;
    m_selection.ConfirmedBackgroundIndex = qint16(stored);
    open();
    QCOMPARE(highlighted(), QString::number(stored));
}

void TestFrmTexture::startUpLoadsTheChooserHidden()
{
    FakeWindow w;
    frmTexture *chooser = w.form->textureChooser();
    QCOMPARE(w.form->textureChooser(), chooser);
    QVERIFY(!chooser->isVisible());
    QCOMPARE(chooser->parent(), w.form.get());
    QCOMPARE(chooser->tilePicture(3).rendition(Qt::black).size(), QSize(150, 190));
    for (int index = 0; index < BackgroundSelection::TileCount; ++index)
        QCOMPARE(chooser->ImgTexture(index)->appearance(), int(TextureTile::Flat));
    QVERIFY(w.modalsShown.isEmpty());
}

void TestFrmTexture::menuShowsTheSameChooser()
{
    FakeWindow w;
    frmTexture *loaded = w.form->textureChooser();
    w.form->background().BackgroundIndex = 3;
    w.form->background().ConfirmedBackgroundIndex = 3;
    QStringList raisedWhenShown;
    const int picks[] = { 4, 1 };
    w.onModal = [&](QDialog &shown) {
        QCOMPARE(&shown, loaded);
        shown.show();
        QStringList raised;
        for (int index = 0; index < BackgroundSelection::TileCount; ++index) {
            if (loaded->ImgTexture(index)->appearance() == TextureTile::ThreeD)
                raised << QString::number(index);
        }
        raisedWhenShown << raised.join(QLatin1Char(','));
        QTest::mouseClick(loaded->ImgTexture(picks[w.modalsShown.size() - 1]), Qt::LeftButton);
        QTest::mouseClick(
            loaded->findChild<QPushButton *>(QStringLiteral("Command3")), Qt::LeftButton);
        QVERIFY(!shown.isVisible());
    };
    w.form->menuAction(QStringLiteral("mnuTexture"))->trigger();
    QVERIFY(w.form->image()->Picture().isNull());
    w.form->menuAction(QStringLiteral("mnuTexture"))->trigger();
    QCOMPARE(w.modalsShown, QStringList({ "frmTexture", "frmTexture" }));
    QCOMPARE(raisedWhenShown, QStringList({ "3", "4" }));
    QCOMPARE(w.form->image()->shownPicture().size(), QSize(140, 140));
    QCOMPARE(int(w.form->background().ConfirmedBackgroundIndex), 1);
    w.verifyScriptsUsed();
}

void TestFrmTexture::tilesAreChoicesToScreenReaders_data()
{
    QTest::addColumn<int>("tile");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "Stucco";
    QTest::newRow("1") << 1 << "Marble";
    QTest::newRow("2") << 2 << "Wood";
    QTest::newRow("3") << 3 << "Watercolour";
    QTest::newRow("4") << 4 << "None";
    QTest::newRow("5") << 5 << "Canvas";
    QTest::newRow("6") << 6 << "Paper";
}

// Each tile is a radio button with a name, checked while it is the chosen one, and its focus
// stays where the mouse-only chooser always had it: nowhere.
void TestFrmTexture::tilesAreChoicesToScreenReaders()
{
    QFETCH(int, tile);
    QFETCH(QString, name);
    open();
    QAccessibleInterface *accessible
        = QAccessible::queryAccessibleInterface(m_chooser->ImgTexture(tile));
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::RadioButton);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QVERIFY(accessible->state().checkable);
    QCOMPARE(bool(accessible->state().checked), tile == BackgroundSelection::DefaultTile);
    QVERIFY(!accessible->state().focusable);
    QCOMPARE(accessible->parent()->role(), QAccessible::Grouping);
    QVERIFY(accessible->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
    const int other = tile == 0 ? 1 : 0;
    run(QStringLiteral("c%1").arg(other));
    QVERIFY(!accessible->state().checked);
    run(QStringLiteral("c%1").arg(tile));
    QVERIFY(accessible->state().checked);
}

void TestFrmTexture::everyRenditionKeepsTextReadable_data()
{
    QTest::addColumn<int>("tile");
    QTest::addColumn<QColor>("text");
    const QColor colours[]
        = { Qt::black, Qt::white, QColor(0x10, 0x20, 0x60), QColor(0xFF, 0xF0, 0xA0) };
    for (int tile = 0; tile < BackgroundSelection::TileCount; ++tile) {
        if (tile == BackgroundSelection::NoPictureTile)
            continue;
        for (const QColor &colour : colours)
            QTest::addRow("tile %d, text %s", tile, qPrintable(colour.name())) << tile << colour;
    }
}

// Light text gets the dark rendition and dark text the light one, drawn once for ordinary
// screens and once at twice the pixels; on each the text keeps 4.5:1 on every pixel.
void TestFrmTexture::everyRenditionKeepsTextReadable()
{
    QFETCH(int, tile);
    QFETCH(QColor, text);
    const TilePicture picture = frmTexture::tilePicture(tile);
    const QPixmap once = picture.rendition(text, 1);
    const QPixmap twice = picture.rendition(text, 2);
    QCOMPARE(twice.devicePixelRatio(), 2.0);
    QCOMPARE(twice.size(), once.size() * 2);
    const QColor opposite = text.lightness() < 128 ? Qt::white : Qt::black;
    QVERIFY(once.toImage() != picture.rendition(opposite).toImage());
    for (const QPixmap &rendition : { once, twice }) {
        const double contrast = worstContrast(rendition.toImage(), text.rgb());
        QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
    }
}

void TestFrmTexture::chooserShowsTheRenditionTheTextGets()
{
    m_image->setTextColor(Qt::white);
    open();
    TextureTile *marble = m_chooser->ImgTexture(1);
    QImage shown(marble->size(), QImage::Format_RGB32);
    marble->render(&shown);
    const QRgb middle = shown.pixel(shown.rect().center());
    QVERIFY2(luminance(middle) < 0.2, qPrintable(QColor(middle).name()));
}

OMRIK_TEST_MAIN(TestFrmTexture)
#include "tst_frmtexture.moc"
