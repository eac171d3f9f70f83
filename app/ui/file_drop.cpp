#include "ui/file_drop.hpp"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

QStringList localFiles(const QMimeData* data)
{
    QStringList files;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
    return files;
}

bool filterFileDrop(QEvent* event, const std::function<bool(const QStringList&, Qt::DropActions)>& accepts,
                    const std::function<void(const QStringList&)>& dropped)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (accepts(localFiles(drag->mimeData()), drag->possibleActions())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = localFiles(drop->mimeData());
        if (files.isEmpty()) {
            drop->ignore();
        } else {
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            dropped(files);
        }
        return true;
    }
    default:
        return false;
    }
}
