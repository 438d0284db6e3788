#pragma once

// Millimetres on paper to screen pixels and back, through InchMm (the
// millimetres one screen inch stands for, see Settings.h): a print format is
// drawn on screen at true size when InchMm is 25.4, smaller by 25.4/30 when 30.

// origin + pixelsPerInch / InchMm * mm, the product rounded to the nearest
// integer with halves to even (clamped to the range of int).
int MmToPixels(int originPx, float mm, double pixelsPerInch);
// (pos - origin) / (pixelsPerInch / InchMm), as a single.
float PixelsToMm(int pos, int originPx, double pixelsPerInch);

// The same against the screen: the primary screen's logical pixels per inch
// (vertical), or 96 where there is no screen (a program without a GUI).
double ScreenPixelsPerInch();
int MmToPixels(int originPx, float mm);
float PixelsToMm(int pos, int originPx);
