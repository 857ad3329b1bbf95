#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Timer.h"
#include "engine/data/ChunkId.h"
#include "game/shell/TLVActivity.h"

class CChunkList;
class OActivityProp;
class OTextDView;

/// The credits (class id 300, "Credits_Activity"): the lines of the script {12, 0, 31} rise up
/// the stage two pixels every 33 ms in one of four text styles, with gaps between groups, while
/// the six pictures of the screen (object ids 1 to 6) appear one after another every 15 s. A
/// click, ESC, SPACE or ESC held, or the last line leaving the stage ends them, and the null
/// activity is asked for, which ends the run.
class Credits_Activity : public CTLVActivity {
public:
    static constexpr uint32_t kClassId = 300;
    static constexpr ChunkId kScriptId = MakeChunkId(12, 31);
    /// The script's markers: styles 2, 1000, 3 and 4, and a gap.
    static constexpr ChunkId kStyle2Marker = MakeChunkId(17, 23);
    static constexpr ChunkId kStyle1000Marker = MakeChunkId(17, 24);
    static constexpr ChunkId kStyle3Marker = MakeChunkId(17, 25);
    static constexpr ChunkId kStyle4Marker = MakeChunkId(17, 26);
    static constexpr ChunkId kGapMarker = MakeChunkId(17, 27);
    static constexpr int16_t kTitleStyle = 1000;
    static constexpr int16_t kGapStyle = 5;
    static constexpr int16_t kFirstStyle = 4;
    static constexpr int kLineViews = 20;
    static constexpr int kPictures = 6;
    static constexpr int32_t kStepMs = 33;
    static constexpr int32_t kPictureMs = 15000;
    static constexpr float kScrollPixels = 2;
    /// A line leaves the shown lines once it would rise above this.
    static constexpr float kTopLimit = -30;
    /// The first line goes 30 px below this when no line is shown.
    static constexpr float kFirstLineBase = 460;
    static constexpr float kLineSpacing = 30;
    static constexpr float kGapPixels = 20;
    static constexpr int16_t kLineWidth = 620;
    static constexpr float kLineCentreX = 320;
    /// Texts of more bytes take the tall line.
    static constexpr size_t kShortLineBytes = 64;
    /// Characters read of a text at most.
    static constexpr uint32_t kMaxCharacters = 300;
    static constexpr uint16_t kMusicPiece = 561;

    Credits_Activity();
    /// The line views are the activity's: the shown ones leave its children first.
    ~Credits_Activity() override;

    bool IsA(uint32_t classId) const override;
    int32_t OnIdle() override;
    void OnKeyDown(uint32_t key) override;
    void OnClick() override;
    int32_t OnActivated() override;
    int32_t FlushSoundQueues() override;
    bool AcceptObject(OView* object) override;
    bool MayNavigate(uint16_t /*target*/) override { return true; }
    void OnKey(uint32_t key) override;
    /// The scroll and picture timers pause and resume with the activity.
    void Pause() override;
    void Resume() override;
    using CTLVActivity::Resume;

    /// Reads the script: markers set the style, gaps and existing texts become entries, other
    /// ids are skipped (traced).
    void LoadScript();
    /// Feeds lines from the current script position while views are free and feeding succeeds.
    void FillLines();
    /// Places the next script entry; whether a line (or a gap) was placed. The position moves
    /// on whenever an entry was looked at.
    bool FeedLine();
    /// Styles, sizes, fills and places a line view at the vertical position.
    void SetupLine(OTextDView* view, const std::string& text, int16_t style, float y);
    OTextDView* PopFreeLine();
    /// The greatest vertical position of the shown lines; 460 when none is shown.
    float LowestLineY() const;
    /// Moves every shown line up 2 px; a line that would pass -30 is hidden and freed.
    void ScrollStep();
    /// The script is done and no line is shown.
    bool IsFinished() const;
    /// Stops the scroll and asks for the null activity (once).
    void EndCredits();

    // What tests and watchers read.
    int32_t ScriptCount() const { return int32_t(script_.size()); }
    int16_t ScriptStyle(int32_t i) const { return script_[size_t(i)].style; }
    int32_t GetScriptPosition() const { return position_; }
    float GetPendingGap() const { return pendingGap_; }
    const std::vector<OTextDView*>& ShownLines() const { return shown_; }
    int32_t FreeLineCount() const { return int32_t(free_.size()); }
    OActivityProp* GetPicture(int slot) const { return pictures_[slot]; }
    bool IsReady() const { return ready_; }
    bool HasEnded() const { return ended_; }
    const CTimerRec& GetPictureTimer() const { return pictureTimer_; }

private:
    struct Entry {
        std::unique_ptr<CChunkList> texts; ///< null for a gap
        int16_t style = kFirstStyle;
    };

    /// The entry's text in the activity's language (else language 10), cut to 300 characters,
    /// in the code page; empty when it has none.
    std::string ReadText(const CChunkList& texts) const;
    /// Shows the next picture that exists; the timer stops after the last.
    void ShowNextPicture();

    std::vector<Entry> script_;
    std::vector<std::unique_ptr<OTextDView>> views_;
    std::vector<OTextDView*> free_;
    std::vector<OTextDView*> shown_;
    int32_t position_ = 0;
    float pendingGap_ = 0;
    uint32_t language_ = 0;
    bool ready_ = false;
    bool ended_ = false;
    CTimerRec scrollTimer_;
    CTimerRec pictureTimer_;
    OActivityProp* pictures_[kPictures] = {};
};
