#pragma once
// What the towns' whole-program runs watch beside the bot: the traces of chunks the part file
// lacks, the tokens taken, and a picture of a movie, which plays inside a frame of the run.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/View.h"
#include "engine/core/Window.h"
#include "game/world/TLVWorldActivity.h"
#include "tests/game/world/towns/TownScenario.h"

namespace vqt::test {

/// The lines of `trace` that hold any of `marks`, one a line; empty when none does.
inline std::string TraceLinesWith(const std::string& trace, const std::vector<std::string>& marks) {
    std::string found;
    size_t start = 0;
    while (start < trace.size()) {
        size_t end = trace.find('\n', start);
        if (end == std::string::npos) end = trace.size();
        const std::string line = trace.substr(start, end - start);
        for (const std::string& mark : marks)
            if (line.find(mark) != std::string::npos) {
                found += line + "\n";
                break;
            }
        start = end + 1;
    }
    return found;
}

/// The lines of `trace` that report a missing chunk (a voice, a part, a frame or a movie).
inline std::string MissingChunkTraces(const std::string& trace) {
    return TraceLinesWith(trace, {"non existent snippet", "NULL part", "cannot be read", "chunkID not found",
                                  "Unable to access"});
}

/// The lines of `trace` that report a second request for the next screen while one is on its
/// way (the first one stands, the later ones are dropped).
inline std::string SwitchInterruptTraces(const std::string& trace) {
    return TraceLinesWith(trace, {"interrupt activity switch"});
}

/// Counts the tokens taken in a town: each one leaves the world's token list. Seen every frame
/// of a town; a new visit starts from the list as it is loaded.
class TokensTaken {
public:
    void Watch(TLVWorld_Activity* world) {
        const int32_t left = world ? world->GetList(TLVWorld_Activity::kTokens).Count() : -1;
        if (world == world_ && left < left_) taken_ += left_ - left;
        world_ = world;
        left_ = left;
    }
    int Count() const { return taken_; }

private:
    const TLVWorld_Activity* world_ = nullptr;
    int32_t left_ = -1;
    int taken_ = 0;
};

/// Laid over movies on the main window while installed: a movie asks it to idle before each
/// of its frames, and at the `atFrame`th it keeps the picture shown. It spans the stage, so the
/// movie is drawn whole.
class MovieCamera : public OView {
public:
    explicit MovieCamera(int atFrame) : OView("MovieCamera", OView::kClassId), atFrame_(atFrame) {}
    void Install() { OWindow::Main()->overlayView = this; }
    void Remove() {
        if (OWindow::Main() && OWindow::Main()->overlayView == this) OWindow::Main()->overlayView = nullptr;
    }
    int32_t OnIdle() override {
        if (++frames_ == atFrame_) picture = StagePicture();
        return 1;
    }
    void GetBoundsRect(CRect16* rect) override { *rect = CRect16(0, 0, 640, 480); }
    /// The movie's picture once it got that far; empty before.
    RgbImage picture;

private:
    int atFrame_;
    int frames_ = 0;
};

} // namespace vqt::test
