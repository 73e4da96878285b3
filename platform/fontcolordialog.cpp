#include "platform/fontcolordialog.h"

#include "platform/olecolor.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

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
    selectColour(choice.color);
}

CommonDialog::FontChoice FontColorDialog::choice() const
{
    const QFont font = m_fonts->currentFont();
    CommonDialog::FontChoice result;
    result.name = font.family();
    // The page offers whole point sizes only; a fractional size the user left alone must
    // come back as it was, not rounded.
    result.size = float(font.pointSizeF());
    if (m_initialSize > 0 && std::lround(m_initialSize) == std::lround(result.size))
        result.size = m_initialSize;
    result.bold = font.bold();
    result.italic = font.italic();
    result.strikethru = font.strikeOut();
    result.underline = font.underline();
    result.color = m_colour;
    return result;
}
