#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The editor's font as the rest of the program sees it: one face for the whole text, the
// point size kept exactly as given (8.25 stays 8.25), and four style flags.
struct ControlFont
{
    QString name;
    double size = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    QFont toQFont() const;
    bool operator==(const ControlFont &other) const;
};
