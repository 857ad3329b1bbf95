// Drawing a prop: every frame of a state at several scales, mirrored and in each quarter turn,
// checked pixel by pixel against a picture turned, mirrored and scaled here.
#include <memory>
#include <vector>

#include "engine/blit/ColorPalette.h"
#include "engine/core/ActivityProp.h"
#include "engine/graphics/GraphicsContext.h"
#include "engine/graphics/Part.h"
#include "engine/graphics/PixelSurface.h"
#include "engine/graphics/State.h"
#include "tests/engine/graphics/GraphicsFixture.h"
#include "tools/builders/PartBuilder.h"

namespace vqt::test {
namespace {

constexpr uint16_t kBackground = 0x1234;

/// Source position of each of `shown` positions over `size` source positions: the Bresenham
/// walk from the first to the last on both sides; one source position maps everything to it.
std::vector<int> Spans(int shown, int size) {
    std::vector<int> out(size_t(shown), 0);
    const int d = shown - 1;
    const int s = size - 1;
    if (d <= 0 || s <= 0) return out;
    int e = 2 * s - d;
    int src = 0;
    for (int p = 0; p <= d; ++p) {
        out[size_t(p)] = src;
        while (e >= 0) {
            ++src;
            e -= 2 * d;
        }
        e += 2 * s;
    }
    return out;
}

/// A quarter turn anticlockwise: the top row becomes the left column, read upwards.
Picture TurnAnticlockwise(const Picture& f) {
    Picture g(f.height, f.width);
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) g.at(x, y) = f.at(f.width - 1 - y, x);
    return g;
}

/// What the prop shows of frame `f` at `rotation`, mirrored or not, drawn w x h.
Picture Expected(const Picture& f, int rotation, bool mirrored, int w, int h) {
    const Picture g = rotation == 90 || rotation == 270 ? TurnAnticlockwise(f) : f;
    const bool turned = rotation == 180 || rotation == 270;
    const bool mx = turned ? !mirrored : mirrored;
    const bool my = turned;
    const std::vector<int> cols = Spans(w, g.width);
    const std::vector<int> rows = Spans(h, g.height);
    Picture out(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int gx = w == g.width ? (mx ? g.width - 1 - x : x) : cols[size_t(mx ? w - 1 - x : x)];
            const int gy = h == g.height ? y : rows[size_t(y)];
            out.at(x, y) = g.at(gx, my ? g.height - 1 - gy : gy);
        }
    }
    return out;
}

class ActivityPropDrawTest : public GraphicsTest {
protected:
    OActivityProp* Load(const StatePlan& state) {
        PartBuilder parts(image_);
        PartPlan desc;
        desc.states = {state};
        const BuiltPart built = parts.AddPart(desc);
        file_ = std::make_unique<OpenedPartFile>(image_, true);
        prop_ = std::make_unique<OActivityProp>();
        EXPECT_EQ(prop_->SetPartID(file_->get(), built.part, 1), 1);
        return prop_.get();
    }
    /// Draws the part (source rectangle of the prop) at (x, y) of a fresh 16-bit surface and
    /// compares the surface with the picture expected there.
    void DrawAndCompare(const Picture& expected, CClipRect source, int x, int y, const std::string& what) {
        CPixelSurface surface;
        ASSERT_TRUE(surface.Create(48, 48, 16));
        uint8_t* px = surface.Lock();
        for (int i = 0; i < 48 * 48; ++i) reinterpret_cast<uint16_t*>(px)[i] = kBackground;
        surface.Unlock();
        const CClipRect target(int16_t(x + source.left), int16_t(y + source.top), int16_t(x + source.right),
                               int16_t(y + source.bottom));
        prop_->Draw(&surface, CPoint16(0, 0), source, target);
        const uint16_t* table = xGraphics_GlobalPalette().Get16BitTable();
        ASSERT_NE(table, nullptr);
        px = surface.Lock();
        const int pitch = surface.GetPitch() / 2;
        int wrong = 0;
        for (int sy = 0; sy < 48; ++sy) {
            for (int sx = 0; sx < 48; ++sx) {
                const int ex = sx - x;
                const int ey = sy - y;
                uint16_t want = kBackground;
                if (ex >= source.left && ex < source.right && ey >= source.top && ey < source.bottom) {
                    const uint8_t p = expected.at(ex, ey);
                    if (p != 0) want = table[p];
                }
                const uint16_t got = reinterpret_cast<uint16_t*>(px)[sy * pitch + sx];
                if (got != want && wrong++ < 3) {
                    ADD_FAILURE() << what << ": pixel (" << ex << ", " << ey << ") is " << got << ", not " << want;
                }
            }
        }
        surface.Unlock();
    }

    ChunkFileBuilder image_;
    std::unique_ptr<OpenedPartFile> file_;
    std::unique_ptr<OActivityProp> prop_;
};

TEST_F(ActivityPropDrawTest, EveryFrameScaledMirroredAndTurned) {
    StatePlan state;
    for (int f = 0; f < 5; ++f) {
        FramePlan frame;
        frame.picture = RandomPicture(5 + f, 8 - f, 100 + uint32_t(f), 25);
        frame.picture.at(0, 0) = uint8_t(200 + f); // no frame is all clear
        state.frames.push_back(frame);
    }
    OActivityProp* prop = Load(state);
    CPart* part = prop->GetAnimSet();
    for (int rotation : {0, 90, 180, 270}) {
        part->GetState(0)->SetRotation(rotation);
        for (bool mirrored : {false, true}) {
            part->SetMirrored(mirrored ? 1 : 0);
            for (float scale : {1.0f, 2.0f, 0.5f}) {
                prop->SetScale(scale, scale);
                for (int f = 0; f < 5; ++f) {
                    prop->SetState(0);
                    prop->SetFrame(f);
                    const std::string what = "frame " + std::to_string(f) + " turned " + std::to_string(rotation) +
                                             (mirrored ? " mirrored" : "") + " at " + std::to_string(scale);
                    const int w = prop->GetWidth();
                    const int h = prop->GetHeight();
                    const Picture expected = Expected(state.frames[size_t(f)].picture, rotation, mirrored, w, h);
                    ASSERT_EQ(expected.width, w) << what;
                    DrawAndCompare(expected, CClipRect(0, 0, int16_t(w), int16_t(h)), 3, 5, what);
                    // A part of it, as the stage redraws a dirty rectangle across the prop.
                    if (w > 3 && h > 3) {
                        DrawAndCompare(expected, CClipRect(1, 2, int16_t(w - 1), int16_t(h - 1)), 3, 5, what + " (part)");
                    }
                }
            }
        }
    }
}

TEST_F(ActivityPropDrawTest, DrawsClippedAtTheSurfaceEdges) {
    StatePlan state;
    FramePlan frame;
    frame.picture = RandomPicture(12, 10, 7, 20);
    state.frames.push_back(frame);
    OActivityProp* prop = Load(state);
    for (bool mirrored : {false, true}) {
        prop->GetAnimSet()->SetMirrored(mirrored ? 1 : 0);
        for (float scale : {1.0f, 3.0f}) {
            prop->SetScale(scale, scale);
            prop->SetState(0);
            const int w = prop->GetWidth();
            const int h = prop->GetHeight();
            const Picture expected = Expected(frame.picture, 0, mirrored, w, h);
            DrawAndCompare(expected, CClipRect(0, 0, int16_t(w), int16_t(h)), -4, -3, "top left");
            DrawAndCompare(expected, CClipRect(0, 0, int16_t(w), int16_t(h)), 48 - w + 5, 48 - h + 2, "bottom right");
        }
    }
}

TEST_F(ActivityPropDrawTest, OnePixelWideFrameFillsItsScaledBlock) {
    StatePlan state;
    FramePlan frame;
    frame.picture = Picture(1, 3);
    frame.picture.at(0, 0) = 40;
    frame.picture.at(0, 1) = 41;
    frame.picture.at(0, 2) = 42;
    state.frames.push_back(frame);
    OActivityProp* prop = Load(state);
    prop->SetScale(4.0f, 4.0f);
    prop->SetState(0);
    ASSERT_EQ(prop->GetWidth(), 4);
    ASSERT_EQ(prop->GetHeight(), 12);
    DrawAndCompare(Expected(frame.picture, 0, false, 4, 12), CClipRect(0, 0, 4, 12), 10, 10, "1 x 3 at 4");
    prop->SetScale(6.0f, 1.0f); // vertical first: one column wide, six times as high
    prop->SetState(0);
    DrawAndCompare(Expected(frame.picture, 0, false, 1, 18), CClipRect(0, 0, 1, 18), 10, 10, "1 x 3 at 1, 6");
}

} // namespace
} // namespace vqt::test
