#include "ui/twips.h"

#include <algorithm>
#include <cmath>

namespace kovrel::ui {

int TwipScale::x(int twips) const {
    return static_cast<int>(std::lround(twips * pixelsPerTwipX));
}

int TwipScale::y(int twips) const {
    return static_cast<int>(std::lround(twips * pixelsPerTwipY));
}

TwipScale makeTwipScale(double dpiX, double dpiY, double stretchX, double stretchY) {
    // A screen that reports no DPI is taken as the common 96.
    if (dpiX <= 0)
        dpiX = 96;
    if (dpiY <= 0)
        dpiY = 96;
    return {dpiX / kTwipsPerInch * std::max(1.0, stretchX),
            dpiY / kTwipsPerInch * std::max(1.0, stretchY)};
}

}  // namespace kovrel::ui
