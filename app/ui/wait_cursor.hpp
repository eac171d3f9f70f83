#pragma once
// The pointer while a command works: the hourglass for the life of a
// WaitCursor, and the normal pointer for the life of a NormalCursor (a
// dialog that a working command shows). A command whose window draws its
// contents when first painted keeps the hourglass until then with a
// WaitCursorUntilPainted.

#include <QApplication>
#include <QEvent>
#include <QWidget>

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

class NormalCursor {
public:
    NormalCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NormalCursor() { QApplication::restoreOverrideCursor(); }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;
};

// The hourglass from now until `widget` has been painted for the first
// time, is hidden or is gone.
class WaitCursorUntilPainted : public QObject {
public:
    explicit WaitCursorUntilPainted(QWidget* widget)
        : QObject(widget)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        widget->installEventFilter(this);
    }
    ~WaitCursorUntilPainted() override { QApplication::restoreOverrideCursor(); }
    WaitCursorUntilPainted(const WaitCursorUntilPainted&) = delete;
    WaitCursorUntilPainted& operator=(const WaitCursorUntilPainted&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Gone once the paint is over.
        if (!m_ending && (event->type() == QEvent::Paint || event->type() == QEvent::Hide)) {
            m_ending = true;
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_ending = false;
};
