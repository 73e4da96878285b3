#pragma once

// Window geometry is kept in twips (1/1440 inch) so stored placements survive a change of
// screen density; widgets speak pixels, so conversion happens only here.
double twipsPerPixel();
double pixelsToTwips(double pixels);
int twipsToPixels(double twips);

// The longest window side, in pixels, that the windowing system takes: X11 keeps sizes and
// positions in 16-bit signed numbers, and Qt cuts a larger window down to this there.
constexpr int LargestWindowPixels = 32767;
