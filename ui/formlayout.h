#pragma once

#include <optional>

// The main window's layout pass, in twips. The text area and the picture behind it follow the
// window's outer size; a size they cannot take ends the pass, leaving the earlier steps done.
struct FormLayout
{
    static constexpr double HorizontalAllowance = 195;
    static constexpr double VerticalAllowance = 1185;

    double line2End = 0;
    std::optional<double> controlWidth;
    std::optional<double> controlHeight;
};

FormLayout layoutForOuterSize(double outerWidth, double outerHeight);

// Where a window of the given outer size stands when centred on a screen: may be negative
// or end in a half twip.
double centredOffset(double screenSize, double windowSize);
