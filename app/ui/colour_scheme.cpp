#include "ui/colour_scheme.hpp"

#include <QCheckBox>
#include <QWidget>

void showColourScheme(QWidget* textBox, QCheckBox* toggle, bool inverted)
{
    const QString blue = QStringLiteral("background-color: #0000FF; color: #FFFFFF;");
    const QString plain = QStringLiteral("background-color: #FFFFFF; color: palette(window-text);");
    const auto rule = [](const QWidget* widget, const QString& scheme) {
        return QString::fromLatin1(widget->metaObject()->className()) + QStringLiteral(" { ") + scheme
               + QStringLiteral(" }");
    };
    textBox->setStyleSheet(rule(textBox, inverted ? blue : plain));
    toggle->setStyleSheet(rule(toggle, inverted ? plain : blue));
}
