#include "ui/formlayout.h"

FormLayout layoutForOuterSize(double outerWidth, double outerHeight)
{
    FormLayout layout;
    layout.line2End = float(outerWidth);
    const float width = float(outerWidth) - float(FormLayout::HorizontalAllowance);
    if (width <= 0)
        return layout;
    layout.controlWidth = width;
    const float height = float(outerHeight) - float(FormLayout::VerticalAllowance);
    if (height <= 0)
        return layout;
    layout.controlHeight = height;
    return layout;
}

double centredOffset(double screenSize, double windowSize)
{
    return (screenSize - windowSize) / 2;
}
