#pragma once
// The end of a window test: every top-level window it left open is
// deleted. A window may delete others as it goes, so each is held by a
// guarded pointer and skipped once gone.

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QWidget>

inline void deleteTopLevelWindows()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows << w;
    for (const QPointer<QWidget>& w : windows)
        delete w.data();
}
