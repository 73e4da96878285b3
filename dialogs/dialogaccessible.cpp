#include "dialogs/dialogaccessible.h"

#include "dialogs/texturetile.h"

namespace {

QAccessibleInterface *createDialogAccessible(const QString &key, QObject *object)
{
    if (key == QLatin1String("TextureTile"))
        return new TextureTileAccessible(static_cast<TextureTile *>(object));
    return nullptr;
}

} // namespace

TextureTileAccessible::TextureTileAccessible(TextureTile *tile)
    : QAccessibleWidget(tile, QAccessible::RadioButton)
{ }

TextureTile *TextureTileAccessible::tile() const
{
    return static_cast<TextureTile *>(widget());
}

QAccessible::State TextureTileAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = tile()->appearance() == TextureTile::ThreeD;
    return state;
}

QStringList TextureTileAccessible::actionNames() const
{
    return QStringList(pressAction()) + QAccessibleWidget::actionNames();
}

void TextureTileAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction()) {
        if (tile()->isEnabled())
            tile()->click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

void installDialogAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(createDialogAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}
