#pragma once
#include <cstdint>

#include "engine/data/ChunkId.h"
#include "game/minigames/arcade/ArcadeActivity.h"

class Arcade_Token;
class OActivityProp;

/// A spoken line of an arcade: its voice entry and caption.
struct ArcadeLine {
    uint16_t voice;
    const char* caption;
};

/// What one arcade game names: its place in the player record, the activities it returns to,
/// its panels' art, texts and sounds, its music and its spoken lines.
struct ArcadeSheet {
    int world;
    ChunkId town;
    ChunkId self;
    ChunkId resultsPicture;
    ChunkId resultsJingle;
    ChunkId startTexts[3];
    ChunkId startTitle;
    /// The start picture of the world's first and second vehicle.
    ChunkId startPictures[2];
    ChunkId leavePicture;
    ChunkId leaveText;
    uint16_t musicEntry;
    const ArcadeLine* lines;
    int lineCount;
    /// Lines in this range are dropped while a message is queued.
    int quietFrom;
    int quietTo;
    /// The lines spoken over the results panel, -1 for none.
    int resultLines[3];
};

/// What the three arcade games share on top of the scrolling frame: the level from the player
/// record, the tokens handed out after a success and caught by the vehicle, the start and
/// results panels with their music and jingles, the leave and play-again buttons and the
/// spoken lines. Each game describes itself with an ArcadeSheet.
class Arcade_Game : public Arcade_Activity {
public:
    static constexpr int kArcade = 3;
    static constexpr int16_t kResultsPanel = 3;
    static constexpr uint16_t kStartButton = 1;
    static constexpr ChunkId kBadgesIcon = MakeChunkId(2, 54);

    Arcade_Game(const char* name, uint32_t classId, const ArcadeSheet& sheet);

    void CreateButtonPanel(int16_t panel) override;
    /// Stops the start panel's jingle and lets the music go before the exits' music.
    void StartGameMusic() override;
    /// Speaks line n (the sheet's quiet lines only when nothing is queued).
    void SpeakLine(int n);

    /// The arcade's level of the world in the player record, held to 1-3 (traced when it was
    /// not); 1 without a player.
    static int32_t LevelOf(int world, const char* who);
    int32_t Level() const { return LevelOf(sheet_.world, GetName()); }
    const ArcadeSheet& Sheet() const { return sheet_; }
    uint16_t GetTokensLeft() const { return tokensLeft_; }
    bool HasCaughtBadge() const { return badgeFlag_ != 0; }
    /// Live tokens touching the vehicle are caught (null entries dropped); true when one was.
    bool CatchTokensTouching(TLV_Object* vehicle);
    /// Tokens below the stage are hidden, parked and stopped.
    void PassFallenTokens();

protected:
    /// The number the results panel shows, and whether it reached the goal (a hero point).
    virtual uint16_t ResultsCount() const = 0;
    virtual bool GoalReached() const = 0;

    /// The pool holds 2 x level + 1 fresh tokens, all still to hand out.
    void StartTokens(int32_t level);
    /// After a success with `left` to go: with more than one left and fewer tokens than that,
    /// a draw of 1 to left - 1 at most the tokens left hands one out: taken live, placed at
    /// the prop, shown, 5 above it. The caller sets it moving.
    Arcade_Token* MaybeDropToken(const OActivityProp* at, uint16_t left);
    /// Hidden, parked and stopped; the world's badge count rises (at most 150).
    void CatchToken(Arcade_Token* token);
    /// The arcade's count and level rise by one in the player record.
    void RaiseRecord();
    /// The results panel and its lines.
    void ShowResults();
    void StopMusic(bool release);
    /// Counter 0 shows `left` with the icon, counter 1 the world's badges.
    void ShowCounters(uint16_t* left, ChunkId icon);
    void RefreshCounters();

private:
    void BuildResultsPanel();
    void BuildStartPanel();

    const ArcadeSheet& sheet_;
    uint16_t tokensLeft_ = 0;
    uint8_t badgeFlag_ = 0;
};
