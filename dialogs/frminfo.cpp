#include "dialogs/frminfo.h"

#include "dialogs/helplinks.h"
#include "dialogs/linklabel.h"
#include "platform/dialoggeometry.h"
#include "platform/olecolor.h"
#include "platform/sharppixmap.h"

#include <QLabel>

#ifndef OMRIK_VERSION
#error "OMRIK_VERSION is handed in by the build, from the project's version"
#endif
#include <QPushButton>

namespace {

constexpr quint32 DarkRed = 0x00000080;

void setTextColour(QLabel *label, quint32 colour)
{
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colorFromOle(colour));
    label->setPalette(colours);
}

// Where the desktop lacks the fonts the box was drawn with, a wider stand-in would run a
// caption into the text beside it.
void keepRightOf(const QWidget *left, QWidget *right)
{
    const int clear = left->geometry().right() + 4;
    if (right->x() < clear)
        right->move(clear, right->y());
}

} // namespace

frmInfo::frmInfo(const HelpLinks &links, QWidget *parent)
    : QDialog(parent)
    , m_links(links)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("OmrikNote Info"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
        | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(twipsRect(0, 0, 5160, 2745).size());
    // The box is laid out for the small dialog font; the desktop's larger default would push
    // the notices past their two lines.
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setPointSizeF(8.25);
    setFont(dialogFont);
    createPictures();
    createTitle();
    createNotices();
    createLinks();

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setGeometry(twipsRect(3900, 2310, 1185, 359));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void frmInfo::createPictures()
{
    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picture->setPixmap(sharpPixmap(QStringLiteral(":/assets/about.gif"), devicePixelRatioF()));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setGeometry(twipsRect(60, 135, 915, 2490));

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image2"));
    icon->setPixmap(sharpPixmap(QStringLiteral(":/assets/omriknote.xpm"), devicePixelRatioF()));
    icon->setGeometry(twipsRect(240, 285, 480, 480));
}

void frmInfo::createTitle()
{
    QLabel *name = addLabel(QStringLiteral("Label1"), QStringLiteral("OmrikNote"), 1080, 150);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPointSizeF(14.25);
    titleFont.setBold(true);
    titleFont.setUnderline(true);
    name->setFont(titleFont);
    name->adjustSize();
    setTextColour(name, DarkRed);

    QLabel *version = addLabel(QStringLiteral("Label3"), QStringLiteral(OMRIK_VERSION), 2385, 120);
    setTextColour(version, DarkRed);
    keepRightOf(name, version);
}

void frmInfo::createNotices()
{
    const struct
    {
        const char *name;
        const char *text;
        double top;
    } notices[] = {
        { "Label2", "Copyright \u00A9 2024 the OmrikNote\nauthors. All rights reserved.", 690 },
        { "Label6",
            "OmrikNote is a trademark of its authors.\nOther names belong to their owners.",
            1200 },
    };
    for (const auto &notice : notices) {
        auto *label = new QLabel(QString::fromUtf8(notice.text), this);
        label->setObjectName(QString::fromLatin1(notice.name));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(twipsRect(1095, notice.top, 3630, 465));
    }
}

void frmInfo::createLinks()
{
    QLabel *internet = addLabel(QStringLiteral("Label7"), QStringLiteral("Internet:"), 1095, 1905);
    auto *homePage = new LinkLabel(
        HelpLinks::homePageText(), QStringLiteral("Visit OMRIK - The Mavren"), this);
    homePage->setObjectName(QStringLiteral("Label8"));
    homePage->move(twipsRect(1800, 1920, 0, 0).topLeft());
    connect(homePage, &LinkLabel::Click, this, [this] {
        m_links.openHomePage(this);
    });

    QLabel *eMail = addLabel(QStringLiteral("Label4"), QStringLiteral("E-mail:"), 1095, 2130);
    auto *mail = new LinkLabel(HelpLinks::mailText(), QStringLiteral("Send e-mail"), this);
    mail->setObjectName(QStringLiteral("Label5"));
    mail->move(twipsRect(1800, 2130, 0, 0).topLeft());
    connect(mail, &LinkLabel::Click, this, [this] {
        m_links.sendMail(this);
    });
    // Both links move together so that they stay in one column.
    keepRightOf(internet, homePage);
    keepRightOf(eMail, homePage);
    mail->move(homePage->x(), mail->y());
}

QLabel *frmInfo::addLabel(const QString &name, const QString &text, double left, double top)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(name);
    label->move(twipsRect(left, top, 0, 0).topLeft());
    label->adjustSize();
    return label;
}

void frmInfo::showEvent(QShowEvent *event)
{
    if (!m_shownBefore) {
        m_shownBefore = true;
        centreOnScreen(this);
    }
    QDialog::showEvent(event);
}
