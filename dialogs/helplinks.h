#pragma once

#include <QString>

class QWidget;
class Shell;

// The author's home page and mail address. What the labels show and what the program opens
// are kept apart, so a target is never built from a label's text.
class HelpLinks
{
public:
    static QString homePageTarget() { return QStringLiteral("https://www.example.org/omrik/"); }
    static QString homePageText() { return QStringLiteral("https://www.example.org/omrik/"); }
    static QString mailTarget() { return QStringLiteral("mailto:author@example.org"); }
    static QString mailText() { return QStringLiteral("author@example.org"); }

    // The started program gets `programFolder`, the folder of the running program file.
    HelpLinks(Shell &shell, const QString &programFolder);

    // `owner` is the window whose menu entry or label was clicked.
    void openHomePage(QWidget *owner) const;
    void sendMail(QWidget *owner) const;

private:
    void open(QWidget *owner, const QString &target) const;

    Shell &m_shell;
    QString m_programFolder;
};
