#pragma once
// The "Ab" toggle of the text boxes (results window, notes): ticked, the box
// shows white text on blue and the toggle the plain scheme; clear, the box
// is plain (window text on white) and the toggle shows white on blue. The
// toggle thus always shows the scheme that a click would give.
//
// Both are coloured through style sheets: a check box does not paint a
// palette background under every style, and white text on the style's own
// grey cannot be read.

class QCheckBox;
class QWidget;

void showColourScheme(QWidget* textBox, QCheckBox* toggle, bool inverted);
