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
