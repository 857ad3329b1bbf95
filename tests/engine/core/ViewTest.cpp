#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/View.h"
#include "engine/graphics/PixelSurface.h"
#include "tests/engine/core/RunLoopFixture.h"

namespace {

std::vector<std::string> g_log;

class TestView : public OView {
public:
    explicit TestView(const char* name) : OView(name, kClassId) {}
    ~TestView() override { g_log.push_back(std::string("~") + GetName()); }
    int32_t OnIdle() override { return 1; }
    void OnSizeChanged() override { g_log.push_back(std::string("size ") + GetName()); }
    void OnGroupCall(uintptr_t value, int32_t whole) override {
        g_log.push_back(std::string("group ") + GetName() + " " + std::to_string(value));
        OView::OnGroupCall(value, whole);
    }
    void Draw(CDrawSurface* d, CPoint16 p, const CClipRect& s, const CClipRect& t) override {
        char line[128];
        std::snprintf(line, sizeof line, "draw %s at (%d,%d) src (%d,%d,%d,%d) dst (%d,%d,%d,%d)", GetName(), p.x,
                      p.y, s.left, s.top, s.right, s.bottom, t.left, t.top, t.right, t.bottom);
        g_log.push_back(line);
        OView::Draw(d, p, s, t);
    }
};

class Root : public OProcess {
public:
    Root() : OProcess("window", kClassId) {}
    int32_t OnIdle() override { return 1; }
};

std::vector<uint8_t> g_msg;
OPropertyMsg* Msg(uint32_t id, std::vector<uint8_t> payload, uint32_t family = OView::kClassId) {
    g_msg.assign(16, 0);
    g_msg.insert(g_msg.end(), payload.begin(), payload.end());
    auto* msg = reinterpret_cast<OPropertyMsg*>(g_msg.data());
    msg->typeCode = 10;
    msg->family = family;
    msg->id = id;
    msg->size = uint32_t(payload.size());
    return msg;
}

std::vector<uint8_t> Pair(int16_t a, int16_t b) {
    std::vector<uint8_t> p(4);
    std::memcpy(p.data(), &a, 2);
    std::memcpy(p.data() + 2, &b, 2);
    return p;
}

/// A window (root process), under it a 640 x 480 stage view centred on the stage, and views
/// made under that.
class ViewTest : public vqt::test::RunLoopTest {
protected:
    void SetUp() override {
        vqt::test::RunLoopTest::SetUp();
        g_log.clear();
        xPlatform_SetMainWindow(&window, vqt::test::kAppWindow, nullptr);
        xStage_SetClipRect(CRect16(0, 0, 640, 480));
        stage = Make("stage", &window, 640, 480, 320, 240);
        xDirtyRects_Clear();
        g_log.clear();
    }
    void TearDown() override {
        window.DestroyChildren();
        xPlatform_SetMainWindow(nullptr, 0, nullptr);
        vqt::test::RunLoopTest::TearDown();
    }
    /// A view of the given size made with the size property and placed with the position
    /// property (no redraw), then listed under `parent`.
    TestView* Make(const char* name, ONode* parent, int16_t w, int16_t h, int16_t x, int16_t y) {
        auto* v = new TestView(name);
        v->HandleProperty(Msg(OView::kPropSize, Pair(w, h)), 1);
        v->HandleProperty(Msg(OView::kPropPosition, Pair(x, y)), 1);
        if (parent) parent->AddChild(v);
        return v;
    }
    std::vector<CRect16> Dirty() {
        std::vector<CRect16> rects;
        for (int16_t i = 0; i < CDirtyRects::Get().Count(); ++i) rects.push_back(CDirtyRects::Get().At(i));
        return rects;
    }
    Root window;
    TestView* stage = nullptr;
};

TEST_F(ViewTest, PropertiesAreStoredByFamily) {
    TestView* v = Make("v", stage, 8, 8, 0, 0);
    xDirtyRects_Clear();
    EXPECT_TRUE(v->HandleProperty(Msg(OView::kPropPosition, Pair(10, 20)), 1));
    EXPECT_EQ(v->GetPosition(), CPointF(10, 20));
    EXPECT_TRUE(Dirty().empty()) << "stored directly, no redraw";
    v->HandleProperty(Msg(OView::kPropDraggable, {1}), 1);
    OPropertyMsg* report = Msg(OView::kPropDraggable, {7});
    v->HandleProperty(report, 0);
    EXPECT_EQ(report->Payload()[0], 1);
    v->HandleProperty(Msg(OView::kPropPosition, Pair(10, 500)), 1);
    v->HandleProperty(Msg(OView::kPropWrapV, {1}), 1);
    EXPECT_EQ(v->GetPosition().y, 20.0f) << "setting the wrap places the view again";
    EXPECT_TRUE(v->HandleProperty(Msg(1, {5, 0, 0, 0}, 10), 1)) << "family 10 goes to the node";
    EXPECT_EQ(v->GetPriority(), 5);
    EXPECT_FALSE(v->HandleProperty(Msg(1, {5}, 777), 1));
    EXPECT_TRUE(v->HandleProperty(Msg(OView::kPropSize, {1, 2}), 1)) << "short payload: ignored";
    EXPECT_EQ(v->GetSize(), CPoint16(8, 8));
}

TEST_F(ViewTest, AnchorsRunLeftToRightThenTopToBottom) {
    TestView* v = Make("v", stage, 40, 20, 100, 50); // spans 80..120 across, 40..60 down
    std::vector<CPointF> anchors;
    for (int32_t n = 0; n <= 10; ++n) {
        CPointF at(-1, -1);
        v->GetAnchor(&at, n);
        anchors.push_back(at);
    }
    EXPECT_EQ(anchors, (std::vector<CPointF>{{-1, -1}, {80, 40}, {100, 40}, {120, 40}, {80, 50}, {100, 50}, {120, 50},
                                             {80, 60}, {100, 60}, {120, 60}, {-1, -1}}));
}

TEST_F(ViewTest, WrapKeepsTheCentreInsideTheParentAndDrawsAcrossTheEdgeOnTheOtherSide) {
    TestView* v = Make("v", stage, 40, 20, 100, 100);
    v->HandleProperty(Msg(OView::kPropWrapH, {1}), 1);
    v->SetPosition(CPointF(700, 100), 0, 1);
    EXPECT_EQ(v->GetPosition().x, 60.0f);
    v->SetPosition(CPointF(-100, 100), 0, 1);
    EXPECT_EQ(v->GetPosition().x, 540.0f);
    v->SetPosition(CPointF(-640, 100), 0, 1);
    EXPECT_EQ(v->GetPosition().x, 0.0f) << "an exact negative multiple lands on 0, not on the width";
    v->SetPosition(CPointF(-100, 900), 0, 1);
    EXPECT_EQ(v->GetPosition().y, 900.0f) << "no vertical wrap asked";
    // Crossing an edge, it is drawn on the other side.
    v->SetPosition(CPointF(10, 100), 0, 1);
    EXPECT_EQ(v->GetDrawnPosition().x, 650.0f);
    v->SetPosition(CPointF(630, 100), 0, 1);
    EXPECT_EQ(v->GetDrawnPosition().x, -10.0f);
    v->SetPosition(CPointF(320, 100), 0, 1);
    EXPECT_EQ(v->GetDrawnPosition().x, 320.0f);
}

TEST_F(ViewTest, WrappingMovesAttachedViewsByTheWrappedDelta) {
    TestView* host = Make("host", stage, 20, 20, 630, 100);
    TestView* rider = Make("rider", stage, 4, 4, 635, 90);
    host->HandleProperty(Msg(OView::kPropWrapH, {1}), 1);
    ASSERT_TRUE(host->AttachToView(rider, 1));
    host->SetPosition(CPointF(20, 0), 1, 1);
    EXPECT_EQ(host->GetPosition().x, 10.0f);
    EXPECT_EQ(rider->GetPosition(), CPointF(15, 90));
}

TEST_F(ViewTest, RotationOffRightAnglesHasNoBoundsAndInvalidatesNothing) {
    TestView* v = Make("v", stage, 10, 10, 50, 50);
    v->SetRotation(45);
    CRect16 bounds(1, 2, 3, 4);
    v->GetBoundsRect(&bounds);
    EXPECT_EQ(bounds, CRect16(1, 2, 3, 4));
    xDirtyRects_Clear();
    v->Invalidate();
    EXPECT_TRUE(Dirty().empty());
    EXPECT_EQ(v->IsDirty(), 1);
    v->SetRotation(-270);
    v->GetBoundsRect(&bounds);
    EXPECT_EQ(bounds, CRect16(45, 45, 55, 55));
    // The centre is truncated and the size halved.
    TestView* odd = Make("odd", stage, 11, 7, 0, 0);
    odd->SetPosition(CPointF(-10.7f, 20.9f), 0, 0);
    odd->GetBoundsRect(&bounds);
    EXPECT_EQ(bounds, CRect16(-15, 17, -4, 24));
}

TEST_F(ViewTest, ScaleAtQuarterTurnSwapsTheAxesAndCarriesAttachedViews) {
    TestView* v = Make("v", stage, 20, 10, 100, 100);
    v->SetRotation(90);
    v->SetScale(2, 2);
    EXPECT_EQ(v->GetWidth(), 20);
    EXPECT_EQ(v->GetHeight(), 40);
    v->SetRotation(0);
    v->SetScale(3, 0.5f);
    EXPECT_EQ(v->GetWidth(), 10);
    EXPECT_EQ(v->GetHeight(), 30);
    v->SetScale(0, 2);
    v->SetScale(2, -1);
    EXPECT_EQ(v->GetSize(), CPoint16(10, 30)) << "factors of 0 or below change nothing";
    // Attached views are scaled with their offsets.
    TestView* host = Make("host", stage, 20, 10, 100, 100);
    TestView* rider = Make("rider", stage, 4, 6, 110, 120);
    host->AttachToView(rider, 1);
    host->SetScale(2, 2);
    EXPECT_EQ(rider->GetPosition(), CPointF(120, 140));
    EXPECT_EQ(rider->GetSize(), CPoint16(8, 12));
    host->SetScale(1, 4);
    EXPECT_EQ(rider->GetPosition(), CPointF(140, 120));
}

TEST_F(ViewTest, AttachingFollowsTheHostRules) {
    TestView* host = Make("host", stage, 20, 20, 100, 100);
    TestView* other = Make("other", stage, 20, 20, 300, 300);
    TestView* rider = Make("rider", stage, 4, 4, 90, 130);
    host->SetPosition(CPointF(100.8f, 100), 0, 0);
    rider->SetPosition(CPointF(90.9f, 130), 0, 0);
    EXPECT_FALSE(host->AttachToView(rider, 0)) << "not attachable";
    host->SetAttachable(1);
    EXPECT_TRUE(host->AttachToView(rider, 0));
    EXPECT_TRUE(host->AttachToView(rider, 0));
    EXPECT_EQ(host->AttachedCount(), 1) << "accepted once";
    EXPECT_EQ(rider->GetHostOffset(), CPoint16(-10, 30)) << "from truncated positions";
    EXPECT_TRUE(other->AttachToView(rider, 1));
    EXPECT_EQ(host->AttachedCount(), 0);
    EXPECT_EQ(rider->GetHost(), other);
    EXPECT_FALSE(host->DetachChildView(rider));
    EXPECT_FALSE(rider->AttachToView(other, 1)) << "a host cannot hang on its own rider";
    EXPECT_FALSE(rider->AttachToView(rider, 1));
    EXPECT_TRUE(other->DetachChildView(rider));
    EXPECT_EQ(rider->GetHost(), nullptr);
    EXPECT_EQ(rider->GetHostOffset(), CPoint16(0, 0));
}

TEST_F(ViewTest, DeletingAHostOrARiderLeavesNoDanglingLinks) {
    TestView* host = Make("host", stage, 20, 20, 100, 100);
    TestView* rider = Make("rider", stage, 4, 4, 90, 130);
    TestView* second = Make("second", stage, 4, 4, 90, 130);
    host->AttachToView(rider, 1);
    host->AttachToView(second, 1);
    delete second;
    EXPECT_EQ(host->AttachedCount(), 1);
    delete host;
    EXPECT_EQ(rider->GetHost(), nullptr);
    rider->SetPosition(CPointF(1, 1), 1, 1);
}

TEST_F(ViewTest, TakingAHostOutTakesItsRidersAndLeavesEveryOtherChildInPlace) {
    // Riders placed before the host in the parent's list: taking them out moves the host down.
    for (const bool ridersFirst : {true, false}) {
        const int32_t before = stage->ChildCount();
        TestView* first = Make("first", ridersFirst ? stage : nullptr, 4, 4, 10, 10);
        TestView* host = Make("host", stage, 20, 20, 100, 100);
        TestView* after = Make("after", stage, 4, 4, 10, 10);
        if (!ridersFirst) stage->AddChild(first);
        host->SetAttachable(1);
        ASSERT_TRUE(host->AttachToView(first, 1));
        EXPECT_TRUE(stage->RemoveChild(host));
        EXPECT_EQ(host->GetParent(), nullptr);
        EXPECT_EQ(first->GetParent(), nullptr) << "the rider goes with its host";
        EXPECT_EQ(stage->ChildCount(), before + 1);
        EXPECT_EQ(stage->ChildAt(before), after) << (ridersFirst ? "riders first" : "riders last");
        EXPECT_FALSE(stage->RemoveChild(host)) << "taken out once";
        delete host; // the rider stays its own
        delete first;
        delete after;
        EXPECT_EQ(stage->ChildCount(), before);
    }
}

TEST_F(ViewTest, MovingCarriesAttachedViewsUnlessHeld) {
    TestView* host = Make("host", stage, 20, 20, 100, 100);
    TestView* rider = Make("rider", stage, 4, 4, 110, 100);
    TestView* pillion = Make("pillion", stage, 4, 4, 120, 100);
    host->AttachToView(rider, 1);
    rider->AttachToView(pillion, 1);
    host->SetPosition(CPointF(5, 7), 1, 1);
    EXPECT_EQ(rider->GetPosition(), CPointF(115, 107));
    EXPECT_EQ(pillion->GetPosition(), CPointF(125, 107));
    host->MoveBy(200, 200, 0, 0);
    EXPECT_EQ(rider->GetPosition(), CPointF(115, 107)) << "not asked to move them";
    host->SetAttachedViewsHeld(1);
    host->MoveBy(10, 0, 1, 1);
    EXPECT_EQ(rider->GetPosition(), CPointF(115, 107));
    host->SetAttachedViewsHeld(0);
    host->PlaceAttachedViews();
    EXPECT_EQ(rider->GetPosition(), CPointF(220, 200)) << "host 210,200 plus offset 10,0";
    EXPECT_EQ(pillion->GetPosition(), CPointF(230, 200));
    host->SetVisible(0, 0);
    EXPECT_EQ(rider->IsVisible(), 1);
    host->SetVisible(0, 1);
    EXPECT_EQ(pillion->IsVisible(), 0) << "shown and hidden with the host, recursively";
}

TEST_F(ViewTest, MovingAddsExactlyTheWidenedUnionRectangle) {
    TestView* v = Make("v", stage, 10, 10, 50, 50);
    xDirtyRects_Clear();
    v->SetPosition(CPointF(70, 52), 0, 1);
    EXPECT_EQ(Dirty(), (std::vector<CRect16>{{44, 45, 76, 57}}));
    EXPECT_EQ(v->IsDirty(), 1);
}

TEST_F(ViewTest, ScreenRectangleIsMovedByTheParentCornerOnly) {
    stage->SetPosition(CPointF(420, 290), 0, 0); // corner at (100, 50)
    TestView* group = Make("group", stage, 100, 100, 60, 60); // corner at (10, 10) in the stage
    TestView* v = Make("v", group, 8, 8, 20, 20);
    EXPECT_EQ(group->GetScreenRect(), CRect16(110, 60, 210, 160));
    EXPECT_EQ(v->GetScreenRect(), CRect16(26, 26, 34, 34)) << "only the immediate parent counts";
    xDirtyRects_Clear();
    group->MoveBy(4, 0, 1, 0);
    EXPECT_EQ(Dirty(), (std::vector<CRect16>{{108, 60, 216, 160}}));
}

TEST_F(ViewTest, HiddenViewsAndViewsUnderHiddenParentsAddNothing) {
    TestView* group = Make("group", stage, 100, 100, 60, 60);
    TestView* v = Make("v", group, 8, 8, 20, 20);
    xDirtyRects_Clear();
    group->SetVisible(0, 0);
    xDirtyRects_Clear();
    v->MoveBy(5, 5, 1, 1);
    v->SetSize(CPoint16(20, 20), 0);
    EXPECT_TRUE(Dirty().empty());
    group->SetVisible(1, 0);
    v->SetVisible(0, 0);
    xDirtyRects_Clear();
    v->MoveBy(5, 5, 1, 1);
    EXPECT_TRUE(Dirty().empty());
}

TEST_F(ViewTest, SizeChangesEraseTheOldAreaAndDrawTheNew) {
    TestView* v = Make("v", stage, 8, 8, 50, 50);
    xDirtyRects_Clear();
    v->SetSize(CPoint16(16, 4), 0);
    EXPECT_EQ(Dirty(), (std::vector<CRect16>{{44, 46, 56, 54}, {40, 48, 60, 52}}));
    v->SetSize(CPoint16(8, 8), 1);
    EXPECT_EQ(v->GetSize(), CPoint16(24, 12));
    EXPECT_EQ(Dirty(), (std::vector<CRect16>{{36, 44, 64, 56}})) << "the grown area holds both";
}

/// stage (mode 1)
///  +- P (mode 1, 100 x 100 at 200,200)  +- Q (mode 2, 20 x 20 at 50,50 in P)
///  +- R (mode 2, 50 x 50 at 400,100)
///  +- T (mode 0, 50 x 50 at 400,100, listed last: asked first)
class HitTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        stage->SetCursorMode(1);
        P = Make("P", stage, 100, 100, 200, 200);
        Q = Make("Q", P, 20, 20, 50, 50);
        R = Make("R", stage, 50, 50, 400, 100);
        T = Make("T", stage, 50, 50, 400, 100);
        P->SetCursorMode(1);
        Q->SetCursorMode(2);
        R->SetCursorMode(2);
    }
    const char* Name(OView* v) { return v ? v->GetName() : "none"; }
    TestView *P, *Q, *R, *T;
};

TEST_F(HitTest, ModesPickTheViewUnderThePoint) {
    // T (mode 0) is never hit; R covers 375-424 and 75-124: its last column and row, and the
    // first past them.
    const std::pair<CPoint16, const char*> points[] = {
        {{200, 200}, "Q"},     {{160, 160}, "P"},     {{400, 100}, "R"},     {{600, 400}, "stage"},
        {{700, 400}, "none"},  {{424, 124}, "R"},     {{425, 100}, "stage"}, {{400, 125}, "stage"}};
    for (const auto& [p, name] : points) EXPECT_STREQ(Name(stage->HitTestPointDeep(p)), name) << p.x << "," << p.y;
    P->SetCursorMode(3);
    EXPECT_STREQ(Name(stage->HitTestPointDeep(CPoint16(200, 200))), "Q");
    EXPECT_STREQ(Name(stage->HitTestPointDeep(CPoint16(160, 160))), "stage") << "P itself is transparent";
    P->SetCursorMode(2);
    EXPECT_STREQ(Name(stage->HitTestPointDeep(CPoint16(200, 200))), "P") << "children are not asked";
    P->SetCursorMode(0);
    EXPECT_STREQ(Name(P->HitTestPointDeep(CPoint16(200, 200))), "none");
    EXPECT_STREQ(Name(Q->HitTestPointDeep(CPoint16(50, 50))), "none") << "a parent of mode 0 hides it";
}

TEST_F(HitTest, AtSkipsTheGivenChildAnyIgnoresModesAndHiddenParentsHideTheirChildren) {
    EXPECT_STREQ(Name(stage->HitTestPointAt(CPoint16(400, 100), nullptr)), "T");
    EXPECT_STREQ(Name(stage->HitTestPointAt(CPoint16(400, 100), T)), "R");
    EXPECT_STREQ(Name(stage->HitTestPointAt(CPoint16(200, 200), nullptr)), "Q");
    EXPECT_STREQ(Name(stage->HitTestPointAt(CPoint16(10, 10), nullptr)), "stage");
    EXPECT_EQ(stage->HitTestPointAt(CPoint16(-10, 10), nullptr), nullptr);
    EXPECT_STREQ(Name(stage->HitTestPointAny(CPoint16(400, 100))), "T");
    T->SetVisible(0, 0);
    EXPECT_STREQ(Name(stage->HitTestPointAny(CPoint16(400, 100))), "R");
    EXPECT_STREQ(Name(stage->HitTestPointAny(CPoint16(200, 200))), "Q");
    P->SetVisible(0, 0);
    EXPECT_EQ(Q->HitTestPoint(CPoint16(50, 50)), nullptr);
    EXPECT_NE(stage->HitTestPointDeep(CPoint16(200, 200)), Q);
    R->SetVisible(0, 0);
    EXPECT_STREQ(Name(stage->HitTestPointDeep(CPoint16(400, 100))), "stage");
    stage->SetRotation(30);
    EXPECT_EQ(stage->HitTestPointDeep(CPoint16(400, 100)), nullptr) << "no bounds, no hit";
}

TEST_F(HitTest, SegmentsAndOverlaps) {
    // R covers (375, 75) - (425, 125).
    const CPoint32 crossing[2] = {CPoint32(350, 100), CPoint32(450, 101)};
    uint8_t outside = 9;
    EXPECT_TRUE(R->IntersectsSegment(crossing, 0, &outside));
    EXPECT_EQ(outside, 1);
    const CPoint32 starting[2] = {CPoint32(380, 80), CPoint32(0, 0)};
    EXPECT_TRUE(R->IntersectsSegment(starting, 0, &outside));
    EXPECT_EQ(outside, 0);
    const CPoint32 touching[2] = {CPoint32(425, 60), CPoint32(425, 70)}; // ends on the corner line
    const CPoint32 corner[2] = {CPoint32(430, 60), CPoint32(425, 75)};
    EXPECT_FALSE(R->IntersectsSegment(touching, 0, nullptr));
    EXPECT_TRUE(R->IntersectsSegment(corner, 0, nullptr));
    const CPoint32 diagonalMiss[2] = {CPoint32(360, 120), CPoint32(380, 140)};
    EXPECT_FALSE(R->IntersectsSegment(diagonalMiss, 0, nullptr));
    const CPoint16 short16[2] = {CPoint16(300, 100), CPoint16(390, 100)};
    EXPECT_TRUE(R->IntersectsSegment16(short16, 0, &outside));
    EXPECT_EQ(outside, 1);
    EXPECT_TRUE(R->IntersectsView(T));
    EXPECT_FALSE(R->IntersectsView(P));
    R->SetRotation(10);
    EXPECT_FALSE(R->IntersectsView(T));
}

class RecordingCursor : public CHoverCursor {
public:
    void OnEnterView(OView* v) override { g_log.push_back(std::string("enter ") + v->GetName()); }
    void OnLeaveView(OView* v) override { g_log.push_back(std::string("leave ") + v->GetName()); }
};

TEST_F(HitTest, HoveredViewLeavesTheHoverWhenItChangesParents) {
    RecordingCursor cursor;
    OView::SetHoverCursor(&cursor);
    g_log.clear();
    T->OnCursorEnter(); // mode 0 and mode 3 leave the cursor alone
    P->SetCursorMode(3);
    P->OnCursorEnter();
    OView::SetHoverView(Q);
    stage->AddChild(Q);
    EXPECT_EQ(g_log, std::vector<std::string>{"leave Q"});
    EXPECT_EQ(OView::HoverView(), nullptr);
    OView::SetHoverView(R);
    delete R;
    EXPECT_EQ(OView::HoverView(), nullptr) << "a deleted view is not left as the hover view";
}

TEST_F(ViewTest, AttachedViewsFollowTheirHostToAnotherParent) {
    TestView* group = Make("group", stage, 100, 100, 60, 60);
    TestView* host = Make("host", group, 8, 8, 10, 10);
    TestView* rider = Make("rider", group, 8, 8, 20, 10);
    host->AttachToView(rider, 1);
    stage->AddChild(host);
    EXPECT_EQ(rider->GetParent(), stage);
    EXPECT_EQ(group->ChildCount(), 0);
    group->AddChild(host);
    EXPECT_EQ(rider->GetParent(), group);
    group->RemoveChild(host);
    EXPECT_EQ(rider->GetParent(), nullptr) << "taken out with its host";
    EXPECT_EQ(rider->GetHost(), host);
    stage->AddChild(host);
    EXPECT_EQ(rider->GetParent(), stage);
}

TEST_F(ViewTest, GroupCallsGoByPriorityThenInsertion) {
    TestView* a = Make("a", stage, 8, 8, 0, 0);
    TestView* b = Make("b", stage, 8, 8, 0, 0);
    TestView* c = Make("c", stage, 8, 8, 0, 0);
    TestView* d = Make("d", stage, 8, 8, 0, 0);
    b->AttachToView(a, 1);
    b->AttachToView(c, 1);
    c->AttachToView(d, 1);
    d->SetPriority(-1);
    g_log.clear();
    b->CallGroup(7, 1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"group d 7", "group a 7", "group b 7", "group c 7"}));
    g_log.clear();
    b->CallGroup(3, 0);
    EXPECT_EQ(g_log, (std::vector<std::string>{"group b 3"}));
    g_log.clear();
    b->OnGroupCall(5, 1); // passes the whole-group call to the attached views
    EXPECT_EQ(g_log, (std::vector<std::string>{"group b 5", "group a 5", "group d 5", "group c 5"}));
}

TEST_F(ViewTest, DrawHandsEachVisibleChildItsClippedPart) {
    CPixelSurface surface;
    stage->SetPosition(CPointF(330, 250), 0, 0); // corner (10, 10)
    TestView* a = Make("a", stage, 20, 10, 15, 10);   // stage-local (5, 5)-(25, 15)
    TestView* b = Make("b", stage, 10, 10, 100, 100); // outside the target below
    TestView* c = Make("c", stage, 10, 10, 30, 30);
    c->SetVisible(0, 0);
    TestView* inner = Make("inner", a, 4, 4, 13, 8); // a-local (11, 6)-(15, 10)
    (void)b;
    (void)inner;
    g_log.clear();
    stage->Draw(&surface, CPoint16(0, 0), CClipRect(0, 0, 640, 480), CClipRect(0, 0, 30, 22));
    EXPECT_EQ(g_log, (std::vector<std::string>{
                         "draw stage at (0,0) src (0,0,640,480) dst (0,0,30,22)",
                         "draw a at (10,10) src (0,0,15,7) dst (15,15,30,22)",
                         "draw inner at (15,15) src (0,0,4,1) dst (26,21,30,22)"}));
    g_log.clear();
    stage->Draw(nullptr, CPoint16(0, 0), CClipRect(0, 0, 640, 480), CClipRect(0, 0, 640, 480));
    EXPECT_EQ(g_log.size(), 1u) << "no destination: nothing below is drawn";
}

} // namespace
