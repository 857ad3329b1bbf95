#include "tools/synthetic/CircusTownArt.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "tools/synthetic/VehicleLooks.h"

using namespace vqt::test;

namespace circus {

namespace {

enum : uint8_t {
    kGrass = 1, kRoad, kLine, kSack, kRope, kFlame, kCore, kBox, kLamp, kLampOff, kCoin, kCrate, kCrack,
    kGrassDark, kPetal, kKerb, kSand, kPaving, kWater, kRipple, kWindow, kDoor, kTentRed, kWhite, kLeaf,
    kLeafDark, kTrunk, kCone, kIron, kPadBase, // six pad colours follow
    kWall0 = kPadBase + 6, kRoof0 = kWall0 + 4, // four wall and four roof colours
    kBody0 = kRoof0 + 4,                       // the garage's six vehicle bodies
    kColourCount = kBody0 + vehicle_look::kVehicles,
};

uint32_t Rgb(int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

/// A small hash of a pixel place, to scatter grass and ripples the same way every run.
uint32_t Scatter(int x, int y) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

bool InEllipse(int x, int y, int cx, int cy, int rx, int ry) {
    const long dx = x - cx, dy = y - cy;
    return dx * dx * ry * ry + dy * dy * rx * rx <= long(rx) * rx * ry * ry;
}

void DrawTile(IndexedPicture& sheet, Tile tile) {
    const int left = tile * kTile;
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            const uint32_t h = Scatter(left + x, y);
            uint8_t v = h % 7 == 0 ? kGrassDark : kGrass;
            const bool across = y >= 16 && y < 112;
            const bool down = x >= 16 && x < 112;
            switch (tile) {
            case kGrassTile: break;
            case kFlowerTile: {
                // a flower in about every third square of 16 pixels, somewhere inside it
                const uint32_t f = Scatter(1000 + left / 16 + x / 16, 77 + y / 16);
                const int dx = x - (x / 16 * 16 + 4 + int(f % 8));
                const int dy = y - (y / 16 * 16 + 4 + int(f / 8 % 8));
                const int d = dx * dx + dy * dy;
                if (f % 3 == 0 && d <= 6) v = d <= 1 ? kCoin : kPetal;
                break;
            }
            case kRoadAcross:
                if (across) v = (y == 63 || y == 64) && x % 32 < 18 ? kLine : kRoad;
                else if (y >= 12 && y < 116) v = kKerb;
                break;
            case kRoadDown:
                if (down) v = (x == 63 || x == 64) && y % 32 < 18 ? kLine : kRoad;
                else if (x >= 12 && x < 116) v = kKerb;
                break;
            case kCrossing:
                if (across || down) v = kRoad;
                else if ((y >= 12 && y < 116) || (x >= 12 && x < 116)) v = kKerb;
                break;
            case kSandTile: v = h % 11 == 0 ? kPaving : kSand; break;
            case kPavingTile: v = x % 32 == 0 || y % 32 == 0 ? kKerb : kPaving; break;
            case kWaterTile: v = h % 23 == 0 ? kRipple : kWater; break;
            case kTileCount: break;
            }
            sheet.pixels[size_t(y) * size_t(sheet.width) + size_t(left + x)] = v;
        }
}

} // namespace

std::vector<uint32_t> Colours() {
    std::vector<uint32_t> c(256, 0);
    const uint32_t named[] = {
        Rgb(70, 150, 60),   Rgb(90, 90, 95),    Rgb(240, 240, 200), Rgb(170, 120, 60),  Rgb(90, 60, 30),
        Rgb(250, 120, 20),  Rgb(255, 230, 80),  Rgb(60, 80, 160),   Rgb(250, 250, 120), Rgb(40, 40, 60),
        Rgb(250, 200, 30),  Rgb(150, 100, 50),  Rgb(60, 40, 20),    Rgb(55, 125, 50),   Rgb(240, 120, 200),
        Rgb(170, 170, 165), Rgb(225, 195, 130), Rgb(200, 195, 185), Rgb(60, 120, 200),  Rgb(150, 200, 240),
        Rgb(120, 190, 230), Rgb(110, 60, 40),   Rgb(210, 40, 50),   Rgb(250, 250, 250), Rgb(40, 130, 45),
        Rgb(25, 90, 35),    Rgb(100, 70, 40),   Rgb(250, 110, 30),  Rgb(70, 70, 80),
        // the pads of the places 0-5
        Rgb(250, 250, 60), Rgb(60, 220, 250), Rgb(250, 60, 60), Rgb(180, 90, 250), Rgb(90, 250, 90), Rgb(160, 110, 60),
        // walls, then roofs
        Rgb(230, 200, 160), Rgb(200, 220, 240), Rgb(240, 180, 170), Rgb(210, 210, 150),
        Rgb(170, 60, 50), Rgb(60, 70, 120), Rgb(120, 80, 50), Rgb(80, 110, 70)};
    static_assert(std::size(named) == kBody0 - 1);
    for (size_t i = 0; i < std::size(named); ++i) c[i + 1] = named[i];
    for (size_t i = 0; i < vehicle_look::kBodies.size(); ++i) c[kBody0 + i] = vehicle_look::kBodies[i];
    return c;
}

std::vector<uint8_t> PartColours() {
    std::vector<uint8_t> rgb;
    for (uint32_t c : Colours()) rgb.insert(rgb.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    return rgb;
}

IndexedPicture TileSheet() {
    IndexedPicture sheet{.width = kTile * kTileCount, .height = kTile,
                         .pixels = std::vector<uint8_t>(size_t(kTile) * kTile * kTileCount, kGrass), .colours = Colours()};
    for (int t = 0; t < kTileCount; ++t) DrawTile(sheet, Tile(t));
    return sheet;
}

Picture Sack(int lean) {
    Picture p(30, 36);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 30; ++x) {
            const int dx = x - 15 - lean * (35 - y) / 35;
            if (y < 6 && std::abs(dx) <= 2) p.at(x, y) = kRope;
            else if (y >= 6 && std::abs(dx) * 36 <= (8 + y / 3) * 18) p.at(x, y) = kSack;
        }
    return p;
}

Picture Flame(int height) {
    // The fire stands at its centre, and a drop counts against it only above that line: the
    // flame rises from the middle, the half below left clear.
    Picture p(64, 80);
    for (int y = 40 - height; y < 40; ++y)
        for (int x = 0; x < 64; ++x) {
            const int half = (y - (40 - height)) * 28 / height + 2;
            if (std::abs(x - 32) <= half) p.at(x, y) = std::abs(x - 32) <= half / 3 && y > 40 - height / 2 ? kCore : kFlame;
        }
    return p;
}

Picture Lamp(bool lit) {
    Picture p(26, 40, kBox);
    for (int y = 4; y < 14; ++y)
        for (int x = 8; x < 18; ++x) p.at(x, y) = lit ? kLamp : kLampOff;
    return p;
}

Picture Coin() {
    Picture p(18, 18);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 18; ++x)
            if (InEllipse(x, y, 9, 9, 8, 8)) p.at(x, y) = kCoin;
    return p;
}

Picture Crate(int cracks) {
    Picture p(34, 30, kCrate);
    for (int c = 0; c < cracks; ++c)
        for (int y = 0; y < 30; ++y) p.at(6 + c * 10 + y / 6, y) = kCrack;
    return p;
}

Picture House(int width, int storeys, int style) {
    const int roof = 30;
    const int height = roof + storeys * 40 + 10;
    Picture p(width, height);
    const uint8_t wall = uint8_t(kWall0 + style % 4);
    const uint8_t top = uint8_t(kRoof0 + style % 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (y < roof) {
                // a roof that leans in towards its ridge
                if (std::abs(x - width / 2) <= width / 2 - (roof - y) / 3) p.at(x, y) = top;
                continue;
            }
            uint8_t v = wall;
            const int row = (y - roof) % 40;
            const int storey = (y - roof) / 40;
            const bool windowColumn = (x - 12) % 36 >= 0 && (x - 12) % 36 < 20 && x < width - 12;
            if (row >= 10 && row < 30 && windowColumn && storey < storeys) v = kWindow;
            if (storey == storeys - 1 && std::abs(x - width / 2) <= 10 && row >= 6) v = kDoor;
            if (y >= height - 10) v = kKerb;
            p.at(x, y) = v;
        }
    return p;
}

Picture BigTop() {
    const int w = 360, h = 280;
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int dx = x - w / 2;
            if (y < 110) {
                // the roof: a cone from the pole's top down to the walls
                if (std::abs(dx) * 110 <= y * (w / 2)) p.at(x, y) = (dx + 400) / 30 % 2 ? kTentRed : kWhite;
                if (std::abs(dx) <= 2 && y < 12) p.at(x, y) = kIron;
            } else {
                uint8_t v = (x / 30) % 2 ? kTentRed : kWhite;
                if (std::abs(dx) <= 30 && y >= 190) v = kDoor;
                p.at(x, y) = v;
            }
        }
    return p;
}

Picture DogHouse() {
    Picture p(90, 80);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 90; ++x) {
            if (y < 30) {
                if (std::abs(x - 45) <= 45 - (30 - y)) p.at(x, y) = kRoof0 + 2;
            } else {
                p.at(x, y) = uint8_t(InEllipse(x, y, 45, 80, 16, 28) ? kTrunk : kCrate);
            }
        }
    return p;
}

Picture Tree(int size) {
    const int w = size, h = size * 5 / 4;
    Picture p(w, h);
    const int r = size / 2 - 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (InEllipse(x, y, w / 2, r + 2, r, r)) p.at(x, y) = Scatter(x, y) % 5 == 0 ? kLeafDark : kLeaf;
            else if (std::abs(x - w / 2) <= size / 12 && y > r) p.at(x, y) = kTrunk;
        }
    return p;
}

Picture Duck(int sunk) {
    Picture p(36, 30);
    for (int y = sunk; y < 30; ++y)
        for (int x = 0; x < 36; ++x) {
            const int at = y - sunk; // the duck's own row, cut off below the water line
            if (InEllipse(x, at, 18, 20, 16, 8) || InEllipse(x, at, 27, 9, 6, 6)) p.at(x, y) = kWhite;
            if (x >= 33 && at >= 8 && at <= 10) p.at(x, y) = kCone;
        }
    return p;
}

Picture Cone(bool tipped) {
    Picture p(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            // upright the tip is at the top; tipped it points right
            const int along = tipped ? x : 31 - y;
            const int across = tipped ? y : x;
            if (std::abs(across - 16) * 32 <= (32 - along) * 12) p.at(x, y) = along % 10 < 3 && along > 5 ? kWhite : kCone;
        }
    return p;
}

Picture Manhole() {
    Picture p(40, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (InEllipse(x, y, 20, 20, 19, 19)) p.at(x, y) = (x + y) % 8 < 2 ? kKerb : kIron;
    return p;
}

Picture Awning() {
    Picture p(120, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x)
            if (y < 22 || (x % 20 >= 4 && x % 20 < 16)) p.at(x, y) = (x / 20) % 2 ? kTentRed : kWhite;
    return p;
}

namespace {

/// Whether the point (u, v), each -1 to 1 across the pad, lies on the pad of the number: a
/// sign for the way out, a star burst, a diamond, a hexagon, a flower and a house.
bool OnPad(int number, double u, double v) {
    const double r = std::hypot(u, v), a = std::atan2(v, u);
    switch (number % 6) {
    case 0: return std::abs(u) <= 1.0 && std::abs(v) <= 1.0 && std::abs(u) + std::abs(v) <= 1.7;
    case 1: return r <= 0.82 + 0.18 * std::cos(8.0 * a);
    case 2: return std::abs(u) + std::abs(v) <= 1.0;
    case 3: return std::abs(v) <= 1.0 && std::abs(u) <= 1.0 - 0.45 * std::abs(v);
    case 4: return r <= 0.84 + 0.16 * std::cos(6.0 * a);
    default: return std::abs(u) <= 0.8 && (v >= -0.25 || std::abs(u) <= 0.8 * (v + 1.0) / 0.75);
    }
}

/// Whether (dx, dy) from the pad's middle lies on the emblem of the number's game (about 40 x
/// 26): an arrow up (the way out), a star (the arcade), a chequered flag (the race), crossed
/// rails (the puzzle), a paw (the round-up) and a door (home).
bool OnEmblem(int number, int dx, int dy, bool& dark) {
    dark = false;
    switch (number % 6) {
    case 0: return (dy >= -2 && dy <= 12 && std::abs(dx) <= 4) || (dy >= -12 && dy < -2 && std::abs(dx) <= dy + 12);
    case 1: {
        const double r = std::hypot(dx, dy * 1.4), a = std::atan2(dy * 1.4, double(dx)) + std::numbers::pi / 2;
        return r <= 7.0 + 9.0 * std::pow(std::abs(std::cos(2.5 * a)), 3.0);
    }
    case 2:
        if (dx == -16 && dy >= -12 && dy <= 12) { // the pole
            dark = true;
            return true;
        }
        if (dx <= -15 || dx > 16 || dy < -12 || dy > 2) return false;
        dark = ((dx + 16) / 8 + (dy + 12) / 7) % 2 == 1;
        return true;
    case 3: {
        const bool rails = std::abs(std::abs(dx) - 6) <= 1 || std::abs(std::abs(dy) - 5) <= 1;
        const bool sleepers = (std::abs(dx) <= 10 && std::abs(dy) <= 12 && (dy + 12) % 5 == 0) ||
                              (std::abs(dy) <= 8 && std::abs(dx) <= 18 && (dx + 18) % 6 == 0);
        if ((rails && std::abs(dx) <= 18 && std::abs(dy) <= 12) || sleepers) {
            dark = sleepers && !rails;
            return std::abs(dx) <= 7 || std::abs(dy) <= 6;
        }
        return false;
    }
    case 4: {
        auto disc = [&](int cx, int cy, int rx, int ry) { return InEllipse(dx, dy, cx, cy, rx, ry); };
        return disc(0, 5, 9, 7) || disc(-11, -5, 4, 4) || disc(-4, -10, 4, 4) || disc(4, -10, 4, 4) || disc(11, -5, 4, 4);
    }
    default: // a dark door with a white knob
        dark = !(dx == 3 && dy == 3);
        return std::abs(dx) <= 6 && dy >= -6 && dy <= 12;
    }
}

} // namespace

Picture Pad(int number, bool lit) {
    constexpr int kWidth = 112, kHeight = 56, kEdge = 3;
    Picture p(kWidth, kHeight);
    auto on = [&](int x, int y) {
        return OnPad(number, (x + 0.5 - kWidth / 2.0) / (kWidth / 2.0), (y + 0.5 - kHeight / 2.0) / (kHeight / 2.0));
    };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (!on(x, y)) continue;
            const bool edge = !on(x - kEdge, y) || !on(x + kEdge, y) || !on(x, y - kEdge) || !on(x, y + kEdge);
            bool dark = false;
            if (edge) p.at(x, y) = lit ? kCoin : kWhite;
            else if (OnEmblem(number, x - kWidth / 2, y - kHeight / 2, dark)) p.at(x, y) = dark ? kIron : kWhite;
            else p.at(x, y) = uint8_t(kPadBase + number % 6);
        }
    return p;
}

PartPlan PadPart(int number) {
    PartPlan part = PartOf({{Pad(number, false), Pad(number, true)}});
    for (FramePlan& frame : part.states[0].frames) frame.duration = 24;
    return part;
}

Picture Flag() {
    Picture p(40, 70);
    for (int y = 0; y < 70; ++y) p.at(4, y) = p.at(5, y) = kIron;
    for (int y = 2; y < 24; ++y)
        for (int x = 6; x < 6 + (24 - y) * 3 / 2 && x < 40; ++x) p.at(x, y) = kTentRed;
    return p;
}

Picture Bystander(int look, int facing, int pose, int step) {
    const uint8_t shirt = look % 2 ? uint8_t(kTentRed) : uint8_t(kRoof0 + 1);
    const uint8_t legs = look % 2 ? uint8_t(kRoof0 + 1) : uint8_t(kTrunk);
    Picture p(20, 32);
    const int cx = 10;
    // Head: a face seen from the front, the hair from behind, a nose to the right from the side.
    for (int y = 1; y < 9; ++y)
        for (int x = 0; x < 20; ++x)
            if (InEllipse(x, y, cx, 5, 3, 4)) p.at(x, y) = y < 3 || facing == 2 ? kTrunk : kPaving;
    if (facing == 0) p.at(cx - 1, 5) = p.at(cx + 1, 5) = kIron;
    if (facing == 1) p.at(cx + 4, 5) = kPaving;
    // Body.
    const int half = facing == 1 ? 2 : 3;
    for (int y = 9; y < 20; ++y)
        for (int x = cx - half; x <= cx + half; ++x) p.at(x, y) = shirt;
    // Arms: down, swinging with the step, out when running, up when waving.
    const int swing = pose == 0 ? 0 : (step % 2 ? 1 : -1) * (pose == 2 ? 3 : 2);
    for (int i = 0; i < 8; ++i) {
        const int ay = pose == 3 ? 9 - i : 10 + i;
        const int ax = pose == 3 ? (i * (step % 2 ? 1 : 2)) / 3 : (swing * i) / 8;
        if (ay >= 0) p.at(std::clamp(cx - half - 1 - ax, 0, 19), ay) = p.at(std::clamp(cx + half + 1 + ax, 0, 19), ay) = kPaving;
    }
    // Legs: together standing or waving, apart with the step.
    const int stride = pose == 1 || pose == 2 ? (step % 2 ? 1 : -1) * (pose == 2 ? 4 : 2) : 0;
    for (int y = 20; y < 32; ++y) {
        const int spread = stride * (y - 20) / 11;
        for (int w = 0; w < 2; ++w) {
            p.at(std::clamp(cx - 2 - spread + w, 0, 19), y) = legs;
            p.at(std::clamp(cx + 1 + spread + w, 0, 19), y) = legs;
        }
    }
    return p;
}

Picture DrivenVehicle(int value, int heading, int group) {
    const int w = kVehicleWidth, h = kVehicleHeight, cx = w / 2, cy = h / 2;
    // The heading's direction on the ground (the screen's y counts double there).
    const double a = heading * 3.14159265358979 / 16.0;
    const double ux = std::sin(a), uy = std::cos(a);
    const uint8_t body = uint8_t(kBody0 + value);
    const bool ladder = vehicle_look::CarriesLadder(value);
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double gx = x - cx, gy = 2.0 * (y - cy);
            const double along = gx * ux + gy * uy, across = gx * uy - gy * ux;
            if (std::abs(along) > 30 || std::abs(across) > 15) continue;
            uint8_t v = body;
            if (along > 14) v = along > 26 ? kIron : kWindow; // the cab and its bumper
            else if (std::abs(across) > 12 && std::abs(std::abs(along) - 18) < 4) v = kIron; // wheels
            else if (group == 1 && std::abs(along) < 6) v = kCoin; // the lit roof bar
            else if (ladder && std::abs(along) < 13 && (std::abs(std::abs(across) - 6) < 1.5 || // its rails
                                                        (std::abs(across) < 6 && std::fmod(along + 13, 5) < 1.5)))
                v = kWhite;
            p.at(x, y) = v;
        }
    return p;
}

Picture VehicleShadow(int halfWidth, int halfLength) {
    const int r = std::max(halfWidth, halfLength);
    Picture p(2 * r + 2, r + 2);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (InEllipse(x, y, p.width / 2, p.height / 2, r, r / 2)) p.at(x, y) = kIron;
    return p;
}

Picture SirenLight(int value, int heading) {
    Picture p(kVehicleWidth, kVehicleHeight);
    const double a = heading * 3.14159265358979 / 16.0;
    // On the roof, a little behind the cab.
    const int cx = kVehicleWidth / 2 + int(std::lround(4 * std::sin(a)));
    const int cy = kVehicleHeight / 2 + int(std::lround(2 * std::cos(a))) - 4;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (InEllipse(x, y, cx, cy, 5, 4)) p.at(x, y) = vehicle_look::CarriesLadder(value) ? kCoin : kLamp;
    return p;
}

Picture TicketBooth() {
    const int w = 80, h = 100;
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (y < 30) {
                if (std::abs(x - w / 2) <= y * w / 60) p.at(x, y) = (x / 10) % 2 ? kTentRed : kWhite;
            } else {
                const bool window = y >= 45 && y < 65 && x >= 20 && x < 60;
                p.at(x, y) = window ? uint8_t(kWindow) : uint8_t(kWall0 + 1);
            }
        }
    return p;
}

Picture BoothBase(int leftY, int splitX, int rightY) {
    const int w = 80, h = 100, cx = w / 2, cy = h / 2, split = cx + splitX;
    Picture p(w, h);
    for (int x = 0; x < w; ++x) {
        // The base line, as the booth's draw order reads it, and a top line mirrored 24 above.
        const double base = x < split ? cy + leftY + double(x) / split * (h - cy - leftY)
                                      : cy + rightY + double(w - x) / (w - split) * (h - cy - rightY);
        for (int y = 0; y < h; ++y)
            if (y <= base && y >= base - 24 - 2 * std::min(x, w - x) / 3) p.at(x, y) = kIron;
    }
    return p;
}

PartPlan PartOf(const std::vector<std::vector<Picture>>& states) {
    return CentredPart(states, PartColours());
}

} // namespace circus
