#pragma once
// Window measures in twips (1/1440 inch), as the window designs give them,
// turned into pixels at 96 dots per inch (15 twips to the pixel).

#include <QtGlobal>

inline int twips(int value)
{
    return qRound(value / 15.0);
}

inline int toTwips(int pixels)
{
    return pixels * 15;
}

// The window designs give outer sizes, which count the frame and caption
// bar; a window's client area is smaller by about this much.
constexpr int FrameWidthTwips = 120;
constexpr int FrameHeightTwips = 570;
