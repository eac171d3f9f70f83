#include "platform/freed_memory.hpp"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <malloc.h>

namespace {

// Sees the deletion of windows; several deleted at once give one return.
class WindowDeletions : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::DeferredDelete && !m_pending && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow()) {
            m_pending = true;
            // Queued behind the deletion itself.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_pending = false;
                    returnFreedMemory();
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_pending = false;
};

} // namespace

void returnFreedMemoryAfterWindows(QCoreApplication& app)
{
    app.installEventFilter(new WindowDeletions(&app));
}

void returnFreedMemory()
{
    malloc_trim(0);
}
