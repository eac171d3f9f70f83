#pragma once
// The small picture buttons of the windows: an icon from the desktop's
// theme (a short caption where the theme has none), a tooltip, and the
// design's 400 x 400 twips at a position in twips.

#include <QString>

class QPushButton;
class QWidget;

QPushButton* makePictureButton(QWidget* parent, const char* name, const QString& tooltip, const char* iconName,
                               const QString& fallback, int left, int top);
