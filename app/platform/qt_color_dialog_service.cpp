// The colour dialog of the production platform layers.
#include <QApplication>
#include <QColorDialog>

#include "platform/qt_platform_services.hpp"

std::optional<QColor> QtColorDialogService::choose(const QColor& colour)
{
    if (nobodyCanSeeWindows())
        return std::nullopt;
    const QColor chosen = QColorDialog::getColor(colour, QApplication::activeWindow());
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}
