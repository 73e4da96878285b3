#include "platform/modalwait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

class ModalWait::CloseDeferral : public QObject
{
public:
    ~CloseDeferral() override
    {
        for (const QPointer<QWidget> &window : std::as_const(m_closing)) {
            if (window)
                QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
        }
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Close || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        // Tooltips and menus close themselves as usual; only the program's windows wait.
        const Qt::WindowType type = window->windowType();
        if (!window->isWindow() || type == Qt::Popup || type == Qt::ToolTip)
            return false;
        if (!m_closing.contains(window))
            m_closing.append(window);
        event->ignore();
        return true;
    }

private:
    QList<QPointer<QWidget>> m_closing;
};

ModalWait::ModalWait()
    : m_deferral(std::make_unique<CloseDeferral>())
{
    QCoreApplication::instance()->installEventFilter(m_deferral.get());
}

ModalWait::~ModalWait() = default;

void ModalWait::run()
{
    m_loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void ModalWait::stop()
{
    QMetaObject::invokeMethod(&m_loop, &QEventLoop::quit, Qt::QueuedConnection);
}
