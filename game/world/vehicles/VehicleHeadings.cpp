#include "game/world/vehicles/VehicleHeadings.h"

#include <algorithm>
#include <cmath>

int32_t IsoNearestHeading(float x, float y) {
    const double length = std::sqrt(double(x) * x + double(y) * y);
    double best = 0.0;
    int32_t nearest = -1;
    for (int32_t i = 0; i < kVehicleHeadings; ++i) {
        const Vec3& h = HeadingTable[std::size_t(i)];
        const double product = length * std::sqrt(double(h.x) * h.x + double(h.y) * h.y);
        const double cosine = product > 0.0 ? std::clamp((double(h.x) * x + double(h.y) * y) / product, -1.0, 1.0) : 1.0;
        const double angle = std::acos(cosine);
        if (nearest < 0 || angle <= best) {
            best = angle;
            nearest = i;
        }
    }
    return nearest;
}
