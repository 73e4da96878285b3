#pragma once

// Window geometry is kept in twips (1/1440 inch) so stored placements survive a change of
// screen density; widgets speak pixels, so conversion happens only here.
double twipsPerPixel();
double pixelsToTwips(double pixels);
int twipsToPixels(double twips);
