// The round-up's geometry against independent models: the segment test against an exact
// orientation test, the triangle test against a sign test, and the loop's triangle strip
// against an exact point-in-triangle model over random closed tracks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "game/minigames/roundup/RoundUpGeometry.h"
#include "game/minigames/roundup/RoundUpTrack.h"

namespace vqt::test {
namespace {

int64_t Orientation(const CPoint16& a, const CPoint16& b, const CPoint16& c) {
    const int64_t v = (int64_t(b.x) - a.x) * (int64_t(c.y) - a.y) - (int64_t(b.y) - a.y) * (int64_t(c.x) - a.x);
    return (v > 0) - (v < 0);
}

bool OnSegment(const CPoint16& a, const CPoint16& b, const CPoint16& p) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

/// The textbook exact test: proper crossings by orientation, touches by collinear containment.
bool ModelCross(const CTrackLine& s, const CTrackLine& t) {
    const int64_t o1 = Orientation(s.start, s.end, t.start), o2 = Orientation(s.start, s.end, t.end);
    const int64_t o3 = Orientation(t.start, t.end, s.start), o4 = Orientation(t.start, t.end, s.end);
    if (o1 != o2 && o3 != o4) return true;
    return (o1 == 0 && OnSegment(s.start, s.end, t.start)) || (o2 == 0 && OnSegment(s.start, s.end, t.end)) ||
           (o3 == 0 && OnSegment(t.start, t.end, s.start)) || (o4 == 0 && OnSegment(t.start, t.end, s.end));
}

/// Inside or on the edges by the signs of the three edge products (exact in doubles here).
bool ModelInTriangle(const CPoint16& a, const CPoint16& b, const CPoint16& c, const CPointF& p) {
    const auto side = [&p](const CPoint16& u, const CPoint16& v) {
        return (double(v.x) - u.x) * (double(p.y) - u.y) - (double(v.y) - u.y) * (double(p.x) - u.x);
    };
    const double d1 = side(a, b), d2 = side(b, c), d3 = side(c, a);
    const bool negative = d1 < 0 || d2 < 0 || d3 < 0, positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

TEST(RoundUpGeometryTest, SegmentsCrossEqualsTheOrientationModelOnEveryPairOfTheSmallGrid) {
    std::vector<CPoint16> grid;
    for (int16_t x = -3; x <= 3; ++x)
        for (int16_t y = -3; y <= 3; ++y) grid.push_back(CPoint16(x, y));
    std::vector<CTrackLine> lines;
    for (const CPoint16& a : grid)
        for (const CPoint16& b : grid) lines.push_back({a, b});
    int64_t checked = 0, mismatches = 0, crossings = 0;
    // Every line against every line with a stride, so that all shapes meet without 5.7 million
    // pairs: the stride is prime to the count, so each line meets lines of every shape.
    for (size_t i = 0; i < lines.size(); ++i) {
        for (size_t j = i % 7; j < lines.size(); j += 7) {
            const bool got = SegmentsCross(lines[i], lines[j]);
            mismatches += got != ModelCross(lines[i], lines[j]);
            mismatches += got != SegmentsCross(lines[j], lines[i]);
            crossings += got;
            ++checked;
        }
    }
    EXPECT_EQ(mismatches, 0) << "of " << checked;
    EXPECT_GT(crossings, 0);
    EXPECT_LT(crossings, checked);
}

TEST(RoundUpGeometryTest, SegmentsCrossEqualsTheModelOnRandomSixteenBitLines) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> any(-32768, 32767), near(-40, 40);
    int mismatches = 0, crossings = 0;
    for (int i = 0; i < 200000; ++i) {
        // Half of the lines are short ones about a shared point, so crossings are frequent.
        const bool local = i % 2 == 0;
        const int cx = any(rng) / 2, cy = any(rng) / 2;
        const auto pick = [&](bool x) { return int16_t(local ? (x ? cx : cy) + near(rng) : any(rng)); };
        const CTrackLine s{{pick(true), pick(false)}, {pick(true), pick(false)}};
        const CTrackLine t{{pick(true), pick(false)}, {pick(true), pick(false)}};
        const bool got = SegmentsCross(s, t);
        mismatches += got != ModelCross(s, t) || got != SegmentsCross(t, s);
        crossings += got;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(crossings, 1000);
}

TEST(RoundUpGeometryTest, ExtremeEndPointsDoNotOverflow) {
    const CTrackLine cases[][2] = {
        {{{-32768, -32768}, {32767, 32767}}, {{-32768, 32767}, {32767, -32768}}},
        {{{-32768, 0}, {32767, 0}}, {{0, -32768}, {0, 32767}}},
        {{{-32768, -32768}, {32767, 32766}}, {{-32768, -32767}, {32767, 32767}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SegmentsCross(c[0], c[1]), ModelCross(c[0], c[1]));
        EXPECT_EQ(SegmentsCross(c[1], c[0]), ModelCross(c[0], c[1]));
    }
}

TEST(RoundUpGeometryTest, HeadingsRunAFullTurnFromTheRight) {
    const struct {
        Vec3 v;
        double heading;
    } cases[] = {
        {Vec3(1, 0, 0), 0.0},          {Vec3(0, 1, 0), M_PI / 2},      {Vec3(-1, 0, 0), M_PI},
        {Vec3(0, -1, 0), 3 * M_PI / 2}, {Vec3(1, -1, 0), 7 * M_PI / 4}, {Vec3(0, 0, 0), 0.0},
        {Vec3(-3, 4, 9), M_PI - std::acos(0.6)},
    };
    for (const auto& c : cases) EXPECT_NEAR(Vec3Heading(c.v), c.heading, 1e-5) << c.v.x << "," << c.v.y;
}

TEST(RoundUpGeometryTest, IsInTriangleEqualsTheSignTestOnAMillionRandomPoints) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> corner(-200, 200);
    std::uniform_real_distribution<float> at(-260.0f, 260.0f);
    int mismatches = 0, inside = 0, tested = 0;
    for (int t = 0; t < 2000; ++t) {
        const CPoint16 a(int16_t(corner(rng)), int16_t(corner(rng)));
        const CPoint16 b(int16_t(corner(rng)), int16_t(corner(rng)));
        const CPoint16 c(int16_t(corner(rng)), int16_t(corner(rng)));
        const double area = std::abs((double(b.x) - a.x) * (double(c.y) - a.y) - (double(b.y) - a.y) * (double(c.x) - a.x));
        if (area < 200.0) continue; // a sliver's angle sum sits within the tolerance everywhere
        for (int k = 0; k < 500; ++k) {
            const CPointF p(at(rng), at(rng));
            const auto far = [&p](const CPoint16& q) { return std::hypot(q.x - p.x, q.y - p.y) > 0.5; };
            // Near an edge the angle sum and the sign test may disagree within the tolerance.
            const auto edgeGap = [&p](const CPoint16& u, const CPoint16& v) {
                const double len = std::hypot(double(v.x) - u.x, double(v.y) - u.y);
                return std::abs((double(v.x) - u.x) * (p.y - u.y) - (double(v.y) - u.y) * (p.x - u.x)) / len;
            };
            if (!far(a) || !far(b) || !far(c) || edgeGap(a, b) < 0.05 || edgeGap(b, c) < 0.05 || edgeGap(c, a) < 0.05)
                continue;
            const bool got = IsInTriangle(a, b, c, p);
            mismatches += got != ModelInTriangle(a, b, c, p);
            inside += got;
            ++tested;
        }
    }
    EXPECT_GT(tested, 600000);
    EXPECT_EQ(mismatches, 0) << "of " << tested;
    EXPECT_GT(inside, tested / 40);
}

TEST(RoundUpGeometryTest, PointsOnEdgesCountAsInside) {
    const CPoint16 a(0, 0), b(100, 0), c(0, 100);
    for (const CPointF& p : {CPointF(50, 0), CPointF(0, 30), CPointF(50, 50), CPointF(25, 75)})
        EXPECT_TRUE(IsInTriangle(a, b, c, p)) << p.x << "," << p.y;
    for (const CPointF& p : {CPointF(50, -1), CPointF(-1, 30), CPointF(51, 51)})
        EXPECT_FALSE(IsInTriangle(a, b, c, p)) << p.x << "," << p.y;
}

// ---- The triangle strip of a loop ------------------------------------------------------------

struct Strip {
    std::vector<std::array<int32_t, 3>> triangles;
};

Strip StripOf(int32_t from, int32_t count) {
    Strip s;
    ForEachLoopTriangle(from, count, [&s](int32_t a, int32_t b, int32_t c) { s.triangles.push_back({a, b, c}); });
    return s;
}

TEST(RoundUpGeometryTest, TheStripZigZagsFromBothEndsOverEveryThirdEndPoint) {
    const struct {
        int32_t from, count;
        std::vector<std::array<int32_t, 3>> triangles;
    } cases[] = {
        {0, 2, {}},                                        // b = 0: nothing
        {5, 8, {{5, 6, 7}}},                               // the shortest loop with a triangle
        {4, 8, {{4, 6, 7}}},                               // two older than the predecessor: one
        {6, 8, {}},                                        // b <= a: nothing
        {0, 10, {{0, 8, 9}, {3, 8, 0}, {3, 5, 8}}},
        {2, 20, {{2, 18, 19}, {5, 18, 2}, {5, 15, 18}, {8, 15, 5}, {8, 12, 15}, {11, 12, 8}}},
    };
    for (const auto& c : cases) EXPECT_EQ(StripOf(c.from, c.count).triangles, c.triangles) << c.from << "/" << c.count;
}

/// A closed track: walks or polygons (convex or not) as segment end points, closing on the
/// first point; the animals are random points about it.
struct Loop {
    std::vector<CPoint16> ends;
};

Loop RandomLoop(std::mt19937& rng) {
    Loop loop;
    std::uniform_int_distribution<int> sides(6, 60), kind(0, 2);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int n = sides(rng);
    const int shape = kind(rng);
    double x = 0, y = 0;
    for (int i = 0; i < n; ++i) {
        const double angle = 2 * M_PI * i / n;
        double r = 300;
        if (shape == 1) r = 150 + 200 * unit(rng);             // star-shaped, not convex
        if (shape == 2) {                                        // a random walk that returns
            x += (unit(rng) - 0.5) * 120;
            y += (unit(rng) - 0.5) * 120;
            loop.ends.push_back(CPoint16(int16_t(1000 + x), int16_t(1000 + y)));
            continue;
        }
        loop.ends.push_back(CPoint16(int16_t(1000 + r * std::cos(angle)), int16_t(1000 + r * std::sin(angle))));
    }
    loop.ends.push_back(loop.ends.front());
    return loop;
}

/// The convex hull, counter-clockwise in y-down terms (monotone chain).
std::vector<CPoint16> ConvexHull(std::vector<CPoint16> points) {
    std::sort(points.begin(), points.end(), [](const CPoint16& a, const CPoint16& b) {
        return a.x != b.x ? a.x < b.x : a.y < b.y;
    });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3) return points;
    std::vector<CPoint16> hull(2 * points.size());
    size_t k = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && Orientation(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    for (size_t i = points.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && Orientation(hull[k - 2], hull[k - 1], points[i - 1]) <= 0) --k;
        hull[k++] = points[i - 1];
    }
    hull.resize(k - 1);
    return hull;
}

/// Inside or on the hull: never to the right of any edge (with a hair of slack for edges).
bool InConvexHull(const std::vector<CPoint16>& hull, const CPointF& p) {
    for (size_t i = 0; i < hull.size(); ++i) {
        const CPoint16& a = hull[i];
        const CPoint16& b = hull[(i + 1) % hull.size()];
        const double side = (double(b.x) - a.x) * (double(p.y) - a.y) - (double(b.y) - a.y) * (double(p.x) - a.x);
        if (side < -1e-3 * std::hypot(double(b.x) - a.x, double(b.y) - a.y)) return false;
    }
    return true;
}

TEST(RoundUpGeometryTest, TheStripCatchesExactlyTheAnimalsInsideItsTrianglesAndNoneOutsideTheHull) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> at(500.0f, 1500.0f);
    int caughtTotal = 0;
    for (int run = 0; run < 2000; ++run) {
        const Loop loop = RandomLoop(rng);
        const int32_t count = int32_t(loop.ends.size());
        std::vector<CPointF> animals;
        for (int k = 0; k < 10; ++k) animals.push_back(CPointF(at(rng), at(rng)));
        std::vector<bool> caught(animals.size(), false), model(animals.size(), false);
        ForEachLoopTriangle(0, count, [&](int32_t a, int32_t b, int32_t c) {
            const CPoint16 &pa = loop.ends[size_t(a)], &pb = loop.ends[size_t(b)], &pc = loop.ends[size_t(c)];
            if (pa == pb || pb == pc || pa == pc) return;
            for (size_t i = 0; i < animals.size(); ++i) {
                if (!caught[i] && IsInTriangle(pa, pb, pc, animals[i])) caught[i] = true;
                if (ModelInTriangle(pa, pb, pc, animals[i])) model[i] = true;
            }
        });
        const std::vector<CPoint16> hull = ConvexHull(loop.ends);
        for (size_t i = 0; i < animals.size(); ++i) {
            EXPECT_EQ(caught[i], model[i]) << "run " << run << " animal " << i;
            if (caught[i]) {
                EXPECT_TRUE(InConvexHull(hull, animals[i])) << "run " << run << " animal " << i;
            }
            caughtTotal += caught[i];
        }
    }
    EXPECT_GT(caughtTotal, 1000);
}

} // namespace
} // namespace vqt::test
