#include "dialogs/dialogaccessible.h"

#include "dialogs/linklabel.h"
#include "dialogs/texturetile.h"

namespace {

QAccessibleInterface *createDialogAccessible(const QString &key, QObject *object)
{
    if (key == QLatin1String("TextureTile"))
        return new TextureTileAccessible(static_cast<TextureTile *>(object));
    if (key == QLatin1String("LinkLabel"))
        return new LinkLabelAccessible(static_cast<LinkLabel *>(object));
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

LinkLabelAccessible::LinkLabelAccessible(LinkLabel *label)
    : QAccessibleWidget(label, QAccessible::Link)
{ }

LinkLabel *LinkLabelAccessible::label() const
{
    return static_cast<LinkLabel *>(widget());
}

QString LinkLabelAccessible::text(QAccessible::Text kind) const
{
    // The caption is what the link says, as a label's is what the label says.
    if (kind == QAccessible::Name && label()->accessibleName().isEmpty())
        return label()->text();
    return QAccessibleWidget::text(kind);
}

QAccessible::State LinkLabelAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.linked = true;
    return state;
}

QStringList LinkLabelAccessible::actionNames() const
{
    return QStringList(pressAction()) + QAccessibleWidget::actionNames();
}

void LinkLabelAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction()) {
        if (label()->isEnabled())
            label()->click();
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
