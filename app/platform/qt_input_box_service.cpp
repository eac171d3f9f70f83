// The input box of the production platform layers.
#include <QApplication>
#include <QInputDialog>

#include "platform/qt_platform_services.hpp"

std::optional<QString> QtInputBoxService::ask(const InputBoxRequest& request)
{
    if (nobodyCanSeeWindows())
        return std::nullopt;
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), request.title, request.prompt,
                                               QLineEdit::Normal, request.defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}
