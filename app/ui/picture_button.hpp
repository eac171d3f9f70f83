#pragma once
// A picture button: a push button with a picture of the style's own set, an
// optional caption and a tooltip, named for tests.

#include <QPushButton>
#include <QStyle>
#include <QToolButton>

inline QPushButton* pictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture,
                                  const QString& caption, const QString& tooltip)
{
    auto* button = new QPushButton(parent->style()->standardIcon(picture), caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tooltip);
    return button;
}

// A square picture button with its caption under the picture.
inline QToolButton* captionedPictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap picture,
                                           const QString& caption, const QString& tooltip)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(parent->style()->standardIcon(picture));
    button->setIconSize(QSize(24, 24));
    button->setText(caption);
    button->setToolTip(tooltip);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    return button;
}
