#pragma once
// Picture buttons: push buttons that show a picture of the desktop's icon
// theme, by its freedesktop name, with the style's own picture where the
// theme has none. The words of a button stay with it as its tooltip and its
// accessible name, so that screen readers and tests find it by them.

#include <QIcon>
#include <QPushButton>
#include <QStringList>
#include <QStyle>

// The picture of the first theme name (a list separated by ",") that the
// icon theme has, else the style's `fallback`. Where the desktop names no
// theme with such pictures (a bare X server, no desktop at all), the first
// full theme installed is taken once, so that the buttons look alike
// everywhere.
QIcon themePicture(const QWidget* widget, const char* themeNames, QStyle::StandardPixmap fallback);

// Gives a button its picture. Without `keepCaption` the caption goes (the
// picture stands for it) and becomes the tooltip where the button has none;
// the accessible name is the caption, else the tooltip.
void setPicture(QPushButton* button, const char* themeNames, QStyle::StandardPixmap fallback,
                bool keepCaption = false);

// A new picture button, named for tests; with a caption, the picture sits
// above it.
QPushButton* pictureButton(QWidget* parent, const char* name, const char* themeNames,
                           QStyle::StandardPixmap fallback, const QString& caption, const QString& tooltip);
