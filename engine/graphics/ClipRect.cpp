#include "engine/graphics/ClipRect.h"

#include <cmath>
#include <utility>

#include "engine/base/Trace.h"

namespace {
constexpr int kLeft = 1, kRight = 2, kBottom = 4, kTop = 8;
}

bool CClipRect::Clip(CPoint16& p1, CPoint16& p2) const {
    if (top >= bottom || left >= right) return true;
    const CPoint16 keep1 = p1, keep2 = p2;
    auto outcode = [this](const CPoint16& p) {
        int code = 0;
        if (p.x < left) code |= kLeft;
        if (p.x >= right) code |= kRight;
        if (p.y >= bottom) code |= kBottom;
        if (p.y < top) code |= kTop;
        return code;
    };
    int c1 = outcode(p1), c2 = outcode(p2);
    int loops = 0, swaps = 0;
    for (;;) {
        if (c1 == 0 && c2 == 0) break;
        if (c1 & c2) {
            p1 = keep1;
            p2 = keep2;
            return false;
        }
        if (++loops > 10) {
            xTracef("CClipRect::Clip:  Too many loops (stopped at %d)\n", loops);
            p1 = keep1;
            p2 = keep2;
            return false;
        }
        if (c1 == 0) {
            std::swap(p1, p2);
            ++swaps;
        }
        const int code = outcode(p1);
        const long double x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;
        if (code & kLeft) {
            p1.y = int16_t(p1.y + std::trunc((y2 - y1) / (x2 - x1) * (left - x1) + 0.5L));
            p1.x = left;
        } else if (code & kRight) {
            p1.y = int16_t(p1.y + std::trunc((y2 - y1) / (x2 - x1) * (right - 1 - x1) + 0.5L));
            p1.x = int16_t(right - 1);
        } else if (code & kBottom) {
            p1.x = int16_t(p1.x + std::trunc((x2 - x1) / (y2 - y1) * (bottom - 1 - y1) + 0.5L));
            p1.y = int16_t(bottom - 1);
        } else if (code & kTop) {
            p1.x = int16_t(p1.x + std::trunc((x2 - x1) / (y2 - y1) * (top - y1) + 0.5L));
            p1.y = top;
        }
        c1 = outcode(p1);
        c2 = outcode(p2);
    }
    if (swaps & 1) std::swap(p1, p2);
    return true;
}
