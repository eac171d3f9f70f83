#pragma once
// Window measures in twips (1/1440 inch), the unit the windows' sizes and
// places are given in, turned into pixels at 96 dots per inch (15 twips to
// the pixel).

#include <QtGlobal>

inline int twips(int value)
{
    return qRound(value / 15.0);
}

inline int toTwips(int pixels)
{
    return pixels * 15;
}
