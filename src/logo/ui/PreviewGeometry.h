#pragma once

namespace korva::logo::ui {

/// The preview's qualities, in the order of its radio buttons.
enum class PreviewQuality { Normal = 0, Quadraple = 1, DoubleHeight = 2, DoubleWidth = 3 };

struct PreviewSize {
    int width = 0;
    int height = 0;
};

/// The size a w x h bitmap is drawn at in a W x H preview area: a base size
/// that fits half the area's height (or half its width for wide images),
/// doubled in the directions the print size doubles. Integer arithmetic
/// throughout, so the preview matches the printer's own rounding.
PreviewSize PreviewDrawSize(int areaWidth, int areaHeight, int bitmapWidth, int bitmapHeight,
                            PreviewQuality quality);

/// The size printer dots are drawn at: one screen pixel per dot, two in the
/// directions the print size doubles.
PreviewSize DotsDrawSize(int dotsWide, int dotsHigh, PreviewQuality quality);

/// `size` as it is when it fits in the area, else shrunk to fit with its
/// proportions kept (never below one pixel a side).
PreviewSize FitWithin(PreviewSize size, int areaWidth, int areaHeight);

}  // namespace korva::logo::ui
