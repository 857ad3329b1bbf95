#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/data/ChunkId.h"

struct xSnippet;

/// Changes made to a host view when a message starts or ends; each applies only when its flag
/// is set.
struct CViewActions {
    uint8_t setVisible = 0;
    uint8_t visible = 0;
    uint8_t setCursor = 0;
    uint16_t cursorMode = 0;
    uint8_t setPriority = 0;
    int32_t priority = 0;
};

/// One spoken line, taken from a message process's pool, filled in and queued there: a voice, a
/// caption, what the host view named by the role name does, and a callback at its end. Records
/// chained behind it start and end with it (their role names name other views).
class OMessageRecord {
public:
    /// Skip test: non-zero ends the message now.
    using SkipTest = int32_t (*)();
    /// End callback: the user value and whether the message was skipped or flushed (1) or
    /// ended by itself (0).
    using EndCallback = void (*)(intptr_t user, int32_t skipped);

    OMessageRecord();
    /// Gives the voice back.
    virtual ~OMessageRecord();
    OMessageRecord(const OMessageRecord&) = delete;
    OMessageRecord& operator=(const OMessageRecord&) = delete;

    /// Empties the record: no role name, states, voice or caption, every flag 0, the spare and
    /// the user value -1. A reset record is free again in its pool.
    void Reset();
    /// Resets every record chained behind it, then this one.
    void FreeChain();
    /// Loads the voice from the application's part file (into a buffer of at least 30000 bytes);
    /// the old voice is given back only when the new one loaded.
    void SetSnippet(ChunkId id);
    /// The caption: a copy of the text, or for a null text the text chunk of the application's
    /// part file (left as it was when that chunk does not exist).
    void SetText(ChunkId id, const char* text);
    /// The host's states for the message (none for a count below 1).
    void SetStates(const int32_t* states, int32_t count);
    int32_t StateCount() const { return int32_t(states.size()); }

    std::string roleName;
    std::vector<int32_t> states;
    int32_t endState = 0;
    /// The host's report while the voice still plays freezes the view's frames.
    uint8_t stopAnimation = 0;
    /// Done once the voice has ended, whatever the host does.
    uint8_t doneWithVoice = 0;
    /// At the end the listed states (but 0 and the end state) are queued on the view.
    uint8_t queueStates = 0;
    xSnippet* voice = nullptr;
    int32_t spare = -1;
    /// The host speaks the voice with its mouth (OHost::Speak) instead of playing the states.
    int32_t lipSync = 0;
    std::string caption;
    /// Waits for the host's report (or a flush) instead of ending by itself.
    int32_t hold = 0;
    SkipTest skipTest = nullptr;
    EndCallback endCallback = nullptr;
    intptr_t userValue = -1;
    OMessageRecord* chained = nullptr;
    CViewActions start;
    CViewActions end;
    /// At the end the view stays on its last frame instead of animating on.
    uint8_t keepLastFrame = 0;
    uint8_t inUse = 0;
    uint8_t hostFinished = 0;
};
