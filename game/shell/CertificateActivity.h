#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/data/ChunkId.h"
#include "game/shell/TLVActivity.h"

class CDrawSurface;
class OTextDView;
class OTextView;
class OView;
class Award_Button;
class TLV_Object;
class CPlayer;

/// A spoken line of a certificate: its number, voice and caption.
struct CertificateLine {
    int16_t line;
    ChunkId voice;
    const char* caption;
};

/// What sets one town's certificate apart from the others.
struct CertificateWorld {
    int16_t world;            ///< 0 circus town, 1 zoo, 2 city
    ChunkId townScreen;       ///< the town's own screen
    uint16_t townMusic;       ///< the music entry played when arriving from the town
    ChunkId rankPictures[3];  ///< hero points 0-2, 3-4, 5 and more
    ChunkId mission2Picture;
    ChunkId specialAwards[2]; ///< special awards 2 and 3
    bool awardNamesWhenQuiet; ///< lines 43-45 only into a quiet queue
};

/// The certificate page of a town: one award per activity of the town (earned or not, with its
/// count), three special awards, the player's name, the town's badge count, a rank picture by
/// hero points and the mission-2 picture. Arriving from the town the chief speaks a ceremony;
/// the page prints as one landscape page; leaving it the first time after every town's
/// mission 2 is done queues the closing movie.
class Certificate_Activity : public CTLVActivity {
public:
    static constexpr int16_t kPanelPrint = 7;
    static constexpr int16_t kPrintWaitIdle = 200;
    static constexpr uint32_t kPrintWaitSleepMs = 50;
    static constexpr uint32_t kHintAfterMs = 10000;
    /// The caption of the print button's label.
    static constexpr char kPrintLabel[] = "Print certificate.";
    /// The counter that marks the closing movie as shown.
    static constexpr int kMovieCounter = 16;
    static constexpr ChunkId kClosingMovie = MakeChunkId(18, 10);
    /// The page: its frame and size.
    static constexpr ChunkId kPageFrame = MakeChunkId(9, 12);
    static constexpr int16_t kPageWidth = 640;
    static constexpr int16_t kPageHeight = 480;

    Certificate_Activity(const char* name, uint32_t classId, const CertificateWorld& world);
    ~Certificate_Activity() override;

    bool IsA(uint32_t classId) const override { return classId == GetClassId() || CTLVActivity::IsA(classId); }
    int32_t OnIdle() override;
    /// The shared start: awards, counts, name, special awards, pictures, then the ceremony or
    /// the music. Each town's class runs it inside its own prelude.
    int32_t OnActivated() override;
    bool MayNavigate(uint16_t target) override;
    void OnButtonHover(uint32_t objectId) override;
    void OnButtonPress(uint32_t /*objectId*/) override {}
    void CreateButtonPanel(int16_t panel) override;
    void OnButton(int16_t panel, int16_t button) override;

    /// Speaks line n of the town's table; nothing here.
    virtual void SpeakLine(int16_t /*line*/) {}
    /// What award k says: earned, its name and what it is for; else how to earn it.
    void SpeakAwardLine(int16_t award);
    /// Prints the certificate when a default printer is set up, then opens panel 7: the
    /// printing form after a printed page, else the no-printer form with its OK button.
    void Print();
    /// Draws the page into the target (640 x 480); false, traced, when nothing could be drawn.
    bool ComposePrintImage(CDrawSurface* target);

    int16_t GetWorld() const { return world_.world; }
    int16_t GetPrintWait() const { return printWait_; }
    bool IsUpgradeNew() const { return upgradeNew_; }

protected:
    /// The town's prelude around the shared start: its stored vehicle position back at the
    /// default, and its music when arriving from the town itself.
    int32_t StartWorld();
    /// Speaks line n from the town's lines and the lines every town shares.
    void SpeakFrom(const CertificateLine* lines, size_t count, int16_t line);

private:
    /// The order in which the activity awards are laid out.
    static constexpr int16_t kAwardOrderForPage[] = {6, 3, 4, 5, 0, 1, 2};
    /// The art of activity award k, earned or not.
    static ChunkId AwardArt(int16_t award, bool earned);
    void AddAward(int16_t award);
    void AddCountText(uint16_t count, float x, float y);
    void AddNameText(float x, float y);
    Award_Button* MakeAward(int16_t index, ChunkId art, bool shown);
    TLV_Object* MakePicture(ChunkId art, bool shown);
    void SpeakCeremony();
    void SwitchMusic(uint16_t entry);
    void BuildPrintPanel();
    /// Text in the style of the activity's text view with the object id (font, alignment and
    /// colour), word wrap on, priority 32767.
    void StyleText(OTextDView* view, uint32_t templateId) const;
    uint16_t Count(int activity) const;
    ChunkId RankPicture() const;
    CPlayer* Player() const;

    const CertificateWorld& world_;
    int16_t printWait_ = kPrintWaitIdle;
    bool upgradeNew_ = false;
    bool printed_ = false;
    OActivityProp* printPicture_ = nullptr;
    OTextDView* printText_ = nullptr;
};
