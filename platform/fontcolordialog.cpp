#include "platform/fontcolordialog.h"

#include "platform/olecolor.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>
#include <QValidator>

namespace {

struct NamedColour
{
    const char *name;
    quint32 value;
};

// The sixteen colours users know from the classic font dialog, in its order.
const NamedColour ClassicColours[] = {
    { "Black", 0x000000 },
    { "Maroon", 0x000080 },
    { "Green", 0x008000 },
    { "Olive", 0x008080 },
    { "Navy", 0x800000 },
    { "Purple", 0x800080 },
    { "Teal", 0x808000 },
    { "Gray", 0x808080 },
    { "Silver", 0xC0C0C0 },
    { "Red", 0x0000FF },
    { "Lime", 0x00FF00 },
    { "Yellow", 0x00FFFF },
    { "Blue", 0xFF0000 },
    { "Fuchsia", 0xFF00FF },
    { "Aqua", 0xFFFF00 },
    { "White", 0xFFFFFF },
};

constexpr quint32 OtherColour = 0xFFFFFFFFu;

QIcon swatch(quint32 value)
{
    QPixmap pixmap(24, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.setBrush(colorFromOle(value));
    painter.drawRect(0, 0, 23, 13);
    return QIcon(pixmap);
}

QString nameOf(quint32 value)
{
    if (value == SystemWindowText)
        return QStringLiteral("Window text");
    if (value & SystemColorFlag)
        return QStringLiteral("System colour");
    return QStringLiteral("Custom");
}

// The page's size box is the one field that takes whole numbers only.
QLineEdit *sizeBoxOf(const QFontDialog *page)
{
    const QList<QLineEdit *> edits = page->findChildren<QLineEdit *>();
    for (QLineEdit *edit : edits) {
        if (qobject_cast<const QIntValidator *>(edit->validator()))
            return edit;
    }
    return nullptr;
}

// The list of sizes sits right under the size box in the page's grid.
QAbstractItemView *sizeListUnder(const QFontDialog *page, QWidget *sizeBox)
{
    auto *grid = qobject_cast<QGridLayout *>(page->layout());
    const int at = grid && sizeBox ? grid->indexOf(sizeBox) : -1;
    if (at < 0)
        return nullptr;
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(at, &row, &column, &rows, &columns);
    QLayoutItem *below = grid->itemAtPosition(row + rows, column);
    return below ? qobject_cast<QAbstractItemView *>(below->widget()) : nullptr;
}

} // namespace

FontColorDialog::FontColorDialog(QWidget *parent)
    : QDialog(parent)
    , m_fonts(new QFontDialog(this))
    , m_colours(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Font"));
    // Embedded as a page: the native dialog cannot live inside another window.
    m_fonts->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    m_fonts->setWindowFlags(Qt::Widget);
    m_fonts->setSizeGripEnabled(false);
    m_fonts->layout()->setContentsMargins(0, 0, 0, 0);
    // Esc inside the page closes the page alone unless the whole window follows it.
    connect(m_fonts, &QDialog::rejected, this, &QDialog::reject);
    watchSizePicks();

    for (const NamedColour &colour : ClassicColours)
        addColour(QString::fromLatin1(colour.name), colour.value);
    m_colours->addItem(QStringLiteral("Other..."), OtherColour);
    connect(m_colours, &QComboBox::activated, this, &FontColorDialog::onColourActivated);

    auto *colourLabel = new QLabel(QStringLiteral("&Colour:"), this);
    colourLabel->setBuddy(m_colours);
    auto *colourRow = new QHBoxLayout;
    colourRow->addWidget(colourLabel);
    colourRow->addWidget(m_colours);
    colourRow->addStretch();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts);
    layout->addLayout(colourRow);
    layout->addWidget(buttons);
}

void FontColorDialog::watchSizePicks()
{
    // The page shows a fractional size rounded and offers whole sizes only. Picking the whole
    // size it shows changes nothing the page reports, so picks are seen where they are made.
    const auto picked = [this] {
        m_sizePicked = true;
    };
    QLineEdit *sizeBox = sizeBoxOf(m_fonts);
    if (sizeBox)
        connect(sizeBox, &QLineEdit::textEdited, this, picked);
    if (QAbstractItemView *sizes = sizeListUnder(m_fonts, sizeBox)) {
        connect(sizes, &QAbstractItemView::clicked, this, picked);
        connect(sizes, &QAbstractItemView::activated, this, picked);
    }
    // Moving through the list with the keys passes through other sizes on the way.
    connect(m_fonts, &QFontDialog::currentFontChanged, this, [this](const QFont &font) {
        if (font.pointSize() != m_shownSize)
            m_sizePicked = true;
    });
}

void FontColorDialog::addColour(const QString &name, quint32 value)
{
    m_colours->insertItem(m_colours->count() - (m_colours->findData(OtherColour) >= 0 ? 1 : 0),
        swatch(value),
        name,
        value);
}

void FontColorDialog::selectColour(quint32 value)
{
    int index = m_colours->findData(value);
    if (index < 0) {
        // A system colour keeps its reference, so the text goes on following the desktop's
        // palette; the list shows what it stands for today.
        addColour(nameOf(value), value);
        index = m_colours->findData(value);
    }
    m_colours->setCurrentIndex(index);
    m_colour = value;
}

void FontColorDialog::onColourActivated(int index)
{
    const quint32 value = m_colours->itemData(index).toUInt();
    if (value != OtherColour) {
        m_colour = value;
        return;
    }
    QColorDialog picker(colorFromOle(m_colour), this);
    selectColour(
        picker.exec() == QDialog::Accepted ? oleFromColor(picker.selectedColor()) : m_colour);
}

void FontColorDialog::setChoice(const CommonDialog::FontChoice &choice)
{
    QFont font;
    if (!choice.name.isEmpty())
        font.setFamilies({ choice.name });
    if (choice.size > 0)
        font.setPointSizeF(choice.size);
    font.setBold(choice.bold);
    font.setItalic(choice.italic);
    font.setStrikeOut(choice.strikethru);
    font.setUnderline(choice.underline);
    m_fonts->setCurrentFont(font);
    m_initialSize = choice.size;
    m_shownSize = m_fonts->currentFont().pointSize();
    m_sizePicked = false;
    selectColour(choice.color);
}

CommonDialog::FontChoice FontColorDialog::choice() const
{
    const QFont font = m_fonts->currentFont();
    CommonDialog::FontChoice result;
    result.name = font.family();
    // A fractional size the user left alone comes back as it was, not rounded.
    result.size = m_initialSize > 0 && !m_sizePicked ? m_initialSize : float(font.pointSizeF());
    result.bold = font.bold();
    result.italic = font.italic();
    result.strikethru = font.strikeOut();
    result.underline = font.underline();
    result.color = m_colour;
    return result;
}
