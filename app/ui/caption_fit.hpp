#pragma once
// Captions in full: buttons, check boxes and radio buttons sized for their
// text in the font in use. The windows place their controls at fixed
// places in twips; where a caption needs more room than its place gives it
// in the font the desktop uses, the control grows and the controls after it
// on its row move along.

#include <vector>

class QAbstractButton;
class QWidget;

// The width a control needs for its caption in its font: for a push button
// its text and picture with the style's margins and frame, as the style
// sizes a button (without the least width some styles give every button);
// for a picture button with its picture above the caption (picture_button),
// a tool button, check box or radio button its size hint.
int captionWidth(const QAbstractButton* button);

// Widens a control placed by hand to its caption when the width it was
// placed with is short of it; its left stays.
void widenToCaption(QAbstractButton* button);

// In a layout: the control may be narrower than the style's usual width
// for buttons, down to what its caption needs, and no narrower.
void shrinkToCaption(QAbstractButton* button);

// A row of controls placed by hand, from left to right: each keeps its left
// unless the one before it now reaches there, and then follows `gap`
// pixels after it.
void flowRow(const std::vector<QWidget*>& row, int gap);
