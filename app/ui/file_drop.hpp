#pragma once
// Files dragged from the file manager onto a widget: the local files a drag
// carries, and the event-filter step that takes them as a copy.

#include <QStringList>
#include <Qt>

#include <functional>

class QEvent;
class QMimeData;

// The local files that dragged data carries; empty when it carries none.
QStringList localFiles(const QMimeData* data);

// For an event filter: handles a drag entering or moving over the widget
// (accepted as a copy when `accepts` says yes to the files and the actions
// the source offers) and a drop (`dropped` gets the files; a drop without
// files is ignored). True when the event was one of these three.
bool filterFileDrop(QEvent* event, const std::function<bool(const QStringList&, Qt::DropActions)>& accepts,
                    const std::function<void(const QStringList&)>& dropped);
