#pragma once
#include "engine/media/Application.h"
#include <cstdint>
#include <memory>

#include "engine/media/Application.h"
#include "engine/data/ChunkId.h"
#include "engine/data/DynArray.h"
#include "engine/core/Cursor.h"

class CCounterPanel;
class CDIBSurface;
class CPlayer;
class OHost;
class OMusicProcess;
class OSoundProcess;
class OSysFont;
struct xSnippet;

/// The game's application object, one for the run (CTLVApp::Get): it owns the open part file
/// (through OApplication), the game's three cursors, five "Arial" fonts, the counter panel on
/// the main window, the game-wide sound snippets and a 640 x 480 24-bit surface for printing,
/// the player record, the host character and the music process, and keeps the slot of the
/// player's save file.
class CTLVApp : public OApplication {
public:
    /// The sizes of the five fonts, by index.
    static constexpr int16_t kFontSizes[] = {20, 18, 16, 14, 10};
    /// The counter panel's art and draw priority.
    static constexpr ChunkId kCounterPanelArt = MakeChunkId(2, 14);
    static constexpr int32_t kCounterPanelPriority = 30500;
    /// The three cursors and the frames they are built from.
    enum : int { kCursorNormal = 0, kCursorHover = 1, kCursorThird = 2, kCursorCount = 3 };
    static constexpr ChunkId kCursorFrames[kCursorCount] = {MakeChunkId(9, 30), MakeChunkId(9, 31),
                                                             MakeChunkId(9, 11)};
    /// The game-wide snippets, in the order they are loaded.
    static constexpr ChunkId kGameSnippets[] = {MakeChunkId(7, 838), MakeChunkId(7, 7), MakeChunkId(7, 8),
                                                MakeChunkId(7, 6), MakeChunkId(7, 9)};
    /// The pipes that an automatic choice of a free pipe must never take, in the order reserved.
    static constexpr uint32_t kReservedPipes[] = {0, 1, 2, 3, 8, 7};

    /// False when it exists already or cannot be made.
    static bool Create();
    /// False when there is none; otherwise deletes it.
    static bool Destroy();
    /// The object, null before VQAppStart and after VQAppEnd.
    static CTLVApp* Get();

    /// Destroys the cursors and the fonts, takes the counter panel and its props, the host and
    /// the music process off the main window and deletes them, unloads the snippets from the
    /// last to the first and frees the print surface; then the base shuts the sound down and
    /// deletes the part file.
    ~CTLVApp() override;

    /// The game's set-up, once the part file is the object's: the engine's standard processes
    /// (whose result it answers), the fonts, the counter panel (parked at (-500, -500)), the
    /// host (when there is a message process), the player record and the music process (each
    /// when there is none yet), the cursors, the click mode 2 of views, the normal and hover
    /// cursors for the mouse process (which then leaves the system pointer alone), the
    /// game-wide snippets, the reserved pipes and the print surface.
    int32_t Init();

    /// Shows the host at the place its frame's hot spot gives, or parks it off the stage.
    void ShowHost(bool show);

    /// The snippet loaded for the id (the later one when the id was loaded twice); null when
    /// none.
    xSnippet* FindSnippet(ChunkId id) const;
    /// Keeps a loaded snippet (owned from now on) with its id, after the others; false (and
    /// the snippet given back to the sound engine) when the lists cannot grow.
    bool AddSnippet(ChunkId id, xSnippet* snippet);
    int32_t GetSnippetCount() const { return snippets_.Count(); }
    /// A cursor by index (kCursor...); 0 when its frame gave none.
    xCursor GetCursor(int index) const { return index >= 0 && index < kCursorCount ? cursors_[index] : 0; }
    CDIBSurface* GetPrintSurface() const { return printSurface_.get(); }

    /// The save-file slot (0 to 7) of the signed-in player; -1 until the sign-in sets it.
    int16_t GetSaveSlot() const { return saveSlot_; }
    void SetSaveSlot(int16_t slot) { saveSlot_ = slot; }

    OHost* GetHost() const { return host_; }
    CCounterPanel* GetCounterPanel() const { return counterPanel_; }
    CPlayer* GetPlayer() const { return player_.get(); }
    OMusicProcess* GetMusic() const { return music_; }
    OSysFont* GetFont(int index) const { return index >= 0 && index < kFontCount ? fonts_[index].get() : nullptr; }

private:
    static constexpr int kFontCount = 5;

    CTLVApp();
    void MakeCounterPanel();
    /// The host "Dispatcher" with its art, parked, on the main window.
    void MakeHost();

    xCursor cursors_[kCursorCount] = {};
    OHost* host_ = nullptr;
    CCounterPanel* counterPanel_ = nullptr;
    std::unique_ptr<CPlayer> player_;
    OMusicProcess* music_ = nullptr;
    std::unique_ptr<OSysFont> fonts_[kFontCount];
    CDynArray<xSnippet*> snippets_;
    CDynArray<ChunkId> snippetIds_;
    int16_t saveSlot_ = -1;
    std::unique_ptr<CDIBSurface> printSurface_;
};

/// The game's open part file; null without the game object or a file.
CPartFile* GamePartFile();
/// The game's sound process; null without the game object or sound.
OSoundProcess* GameSoundProcess();
/// True while Space or Esc is held.
bool IsSkipKeyDown();
/// True while Space or Esc, or the left, right or middle mouse button, is held.
bool IsSkipKeyOrButtonDown();
