#pragma once
// Work that may wait a long time on the outside world (a mail server that
// is slow to answer) runs on a thread of its own, while the windows' thread
// goes on painting them: a window moved, uncovered or resized during the
// wait is drawn again. Input to the windows is held back meanwhile: clicks,
// keys and a close from the window manager are dropped, so nothing starts
// a second command while the first one waits. The pointer is left as the
// caller set it (the hourglass).

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>

#include <exception>
#include <memory>
#include <optional>
#include <utility>

// Drops user input to every window for its lifetime.
class HeldInput : public QObject {
public:
    HeldInput() { qApp->installEventFilter(this); }
    ~HeldInput() override { qApp->removeEventFilter(this); }
    HeldInput(const HeldInput&) = delete;
    HeldInput& operator=(const HeldInput&) = delete;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Drop:
            return true;
        case QEvent::Close:
            return event->spontaneous();
        default:
            return false;
        }
    }
};

// Runs `work` on a thread of its own and returns what it returns (or throws
// what it throws) once it has ended; the windows repaint meanwhile and take
// no input.
template <class Work>
auto runBesideTheWindows(Work work) -> decltype(work())
{
    std::optional<decltype(work())> result;
    std::exception_ptr failure;
    const HeldInput held;
    QEventLoop waiting;
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            result.emplace(work());
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QObject::connect(thread.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    thread->start();
    waiting.exec();
    thread->wait();
    if (failure)
        std::rethrow_exception(failure);
    return std::move(*result);
}
