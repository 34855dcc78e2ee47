#include "toolkit/layout_math.h"

#include <algorithm>

namespace zelui {

namespace {

// The item's sizes and paddings seen along (main) and across (cross) the stack.
struct Oriented {
    int mainSize, crossSize, mainBefore, mainAfter, crossBefore, crossAfter;
};

Oriented Orient(Axis axis, const StackItem& item) {
    const Padding& p = item.padding;
    if (axis == Axis::Vertical) return {item.height, item.width, p.top, p.bottom, p.left, p.right};
    return {item.width, item.height, p.left, p.right, p.top, p.bottom};
}

}  // namespace

std::vector<RECT> ArrangeStack(Axis axis, const RECT& area, const std::vector<StackItem>& items) {
    const bool vertical = axis == Axis::Vertical;
    const int mainStart = vertical ? area.top : area.left;
    const int mainExtent = vertical ? area.bottom - area.top : area.right - area.left;
    const int crossStart = vertical ? area.left : area.top;
    const int crossExtent = vertical ? area.right - area.left : area.bottom - area.top;

    int used = 0;
    int flexible = 0;
    for (const StackItem& item : items) {
        Oriented o = Orient(axis, item);
        used += o.mainBefore + o.mainAfter + std::max(o.mainSize, 0);
        if (o.mainSize <= 0) ++flexible;
    }
    const int remaining = std::max(mainExtent - used, 0);
    const int share = flexible > 0 ? remaining / flexible : 0;

    std::vector<RECT> rects;
    rects.reserve(items.size());
    int cursor = mainStart;
    int flexSeen = 0;
    for (const StackItem& item : items) {
        Oriented o = Orient(axis, item);
        int mainSize = o.mainSize;
        if (mainSize <= 0) {
            ++flexSeen;
            mainSize = flexSeen == flexible ? remaining - share * (flexible - 1) : share;
        }
        int crossSize = o.crossSize > 0 ? o.crossSize : std::max(crossExtent - o.crossBefore - o.crossAfter, 0);
        int m0 = cursor + o.mainBefore;
        int c0 = crossStart + o.crossBefore;
        rects.push_back(vertical ? RECT{c0, m0, c0 + crossSize, m0 + mainSize}
                                 : RECT{m0, c0, m0 + mainSize, c0 + crossSize});
        cursor = m0 + mainSize + o.mainAfter;
    }
    return rects;
}

int StackContentHeight(Axis axis, const std::vector<StackItem>& items) {
    int total = 0;
    for (const StackItem& item : items) {
        int h = std::max(item.height, 0) + item.padding.top + item.padding.bottom;
        total = axis == Axis::Vertical ? total + h : std::max(total, h);
    }
    return std::max(total, 0);
}

RECT CaptionRect(const RECT& caption, SIZE client) {
    return RECT{caption.left, caption.top, client.cx - caption.right, caption.bottom};
}

}  // namespace zelui

namespace zelui {

int ProgressFillWidth(int width, int min, int max, int value) {
    if (max <= min || width <= 0) return 0;
    if (value <= min) return 0;
    if (value >= max) return width;
    return static_cast<int>(static_cast<long long>(width) * (value - min) / (max - min));
}

}  // namespace zelui
