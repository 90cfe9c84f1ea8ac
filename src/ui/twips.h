#pragma once

namespace kovrel::ui {

inline constexpr int kTwipsPerInch = 1440;

// Maps the window's design units (twips) to pixels: the screen's DPI, times a stretch of at
// least 1 per axis for toolkits whose controls need more room than the design gives them.
struct TwipScale {
    double pixelsPerTwipX = 96.0 / kTwipsPerInch;
    double pixelsPerTwipY = 96.0 / kTwipsPerInch;

    int x(int twips) const;
    int y(int twips) const;
};

// The scale for a screen of the given DPI and the stretches (each at least 1).
TwipScale makeTwipScale(double dpiX, double dpiY, double stretchX, double stretchY);

}  // namespace kovrel::ui
