#pragma once

// Window geometry is kept in twips (1/1440 inch) so stored placements survive a change of
// screen density; widgets speak pixels, so conversion happens only here.
class QScreen;

// With the density of the primary screen, or of the screen given.
double twipsPerPixel();
double twipsPerPixel(const QScreen *screen);
double pixelsToTwips(double pixels);
int twipsToPixels(double twips);

// The longest window side, in pixels, that the windowing system takes: X11 keeps sizes and
// positions in 16-bit signed numbers, and Qt cuts a larger window down to this there.
constexpr int LargestWindowPixels = 32767;
