#include "ui/toolbaraccessible.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

QAccessibleInterface *createToolbarAccessible(const QString &key, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (key == QLatin1String("TarnBar"))
        return new QAccessibleWidget(widget, QAccessible::ToolBar);
    if (key == QLatin1String("TBSeparator") || key == QLatin1String("TBSmallSep"))
        return new QAccessibleWidget(widget, QAccessible::Separator);
    return nullptr;
}

} // namespace

void installToolbarAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(createToolbarAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}
