#pragma once
// A picture button: a push button with a picture of the style's own set, an
// optional caption and a tooltip, named for tests.

#include <QPushButton>
#include <QStyle>

inline QPushButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture,
                                  const QString& caption, const QString& tooltip)
{
    auto* button = new QPushButton(parent->style()->standardIcon(picture), caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tooltip);
    return button;
}
