#pragma once

#include <QAccessibleWidget>

class LinkLabel;
class TextureTile;

// A background tile is one choice of several, as a radio button is: screen readers say which
// tile is the chosen one, and pressing a tile through them chooses it as a click does.
class TextureTileAccessible : public QAccessibleWidget
{
public:
    explicit TextureTileAccessible(TextureTile *tile);

    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    TextureTile *tile() const;
};

// A caption that opens something is a link to screen readers, and pressing it through them
// opens what a click opens.
class LinkLabelAccessible : public QAccessibleWidget
{
public:
    explicit LinkLabelAccessible(LinkLabel *label);

    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    LinkLabel *label() const;
};

// Lets QAccessible create the interfaces above for every tile and link.
void installDialogAccessibility();
