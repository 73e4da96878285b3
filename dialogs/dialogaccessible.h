#pragma once

#include <QAccessibleWidget>

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

// Lets QAccessible create the interface above for every tile.
void installDialogAccessibility();
