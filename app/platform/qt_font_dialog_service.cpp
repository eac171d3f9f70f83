// The font dialog of the production platform layers.
#include <QApplication>
#include <QFontDialog>

#include "platform/qt_platform_services.hpp"

std::optional<FontChoice> QtFontDialogService::choose(const FontChoice& font)
{
    if (nobodyCanSeeWindows())
        return std::nullopt;
    QFont initial(font.name);
    if (font.size > 0)
        initial.setPointSizeF(font.size);
    initial.setBold(font.bold);
    initial.setItalic(font.italic);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, QApplication::activeWindow());
    if (!ok)
        return std::nullopt;
    return FontChoice{chosen.family(), chosen.pointSizeF(), chosen.bold(), chosen.italic()};
}
