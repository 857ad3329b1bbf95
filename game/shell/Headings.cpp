#include "game/shell/Headings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

int32_t xHeading_Nearest(float x, float y) {
    const double length = std::sqrt(double(x) * x + double(y) * y);
    double best = 2.0 * std::numbers::pi;
    int32_t nearest = 0;
    for (int32_t i = 0; i < kHeadingCount; ++i) {
        const CHeading& h = kHeadings[size_t(i)];
        const double product = length * std::sqrt(double(h.x) * h.x + double(h.y) * h.y);
        const double cosine = product > 0.0 ? std::clamp((double(h.x) * x + double(h.y) * y) / product, -1.0, 1.0) : 0.0;
        const double angle = std::acos(cosine);
        if (angle <= best) {
            best = angle;
            nearest = i;
        }
    }
    return nearest;
}
