#pragma once
// Layout arithmetic of the stacking containers, kept apart from the controls
// so it can be checked with tables of sizes and rectangles.
#include <windows.h>

#include <vector>

namespace zelui {

enum class Axis { Vertical, Horizontal };

// Outer margin of a control; negative values pull it towards its neighbours.
struct Padding {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// One visible child as the container sees it. A size of 0 is "not given": in
// the stacking direction the child shares the remaining space with the other
// such children; across it spans the container (less its padding). Auto
// heights are measured by the caller and passed in as fixed sizes.
struct StackItem {
    int width = 0;
    int height = 0;
    Padding padding;
};

// Places the children one after the other inside `area`. Space left after
// the fixed sizes and all paddings is split evenly between the children
// without a size (the last one takes the rounding rest); it never goes below
// zero, so fixed children may overflow a small container.
std::vector<RECT> ArrangeStack(Axis axis, const RECT& area, const std::vector<StackItem>& items);

// Height a container needs for its children ("auto" height): the sum of the
// heights and vertical paddings for a vertical stack, the tallest child with
// its paddings for a horizontal one. Children without a height count as 0.
int StackContentHeight(Axis axis, const std::vector<StackItem>& items);

// The caption rectangle is written left,top,right,bottom where right counts
// from the right edge of the client area and bottom from its top (so
// "0,0,0,35" is the top 35 rows across the whole width).
RECT CaptionRect(const RECT& caption, SIZE client);

}  // namespace zelui

namespace zelui {

// Width of the filled part of a progress bar `width` pixels wide: the share
// of [min, max] up to `value`, clamped to the bar. A range of zero or less
// fills nothing.
int ProgressFillWidth(int width, int min, int max, int value);

}  // namespace zelui
