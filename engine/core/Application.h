#pragma once
#include <cstdint>

class CPartFile;
class OSoundProcess;

/// The base of the game's application object: the engine reaches the game's part file and
/// processes through it, never through a game class. There is one at a time; it registers
/// itself when made and is forgotten when destroyed.
class OApplication {
public:
    OApplication();
    /// Shuts the sound engine down and deletes the part file.
    virtual ~OApplication();
    OApplication(const OApplication&) = delete;
    OApplication& operator=(const OApplication&) = delete;

    /// The application object, or null before it is made and after it is destroyed.
    static OApplication* Get();

    /// The open part file of the run (owned), or null.
    CPartFile* GetPartFile() const { return partFile_; }
    /// Hands over the part file (the old one is deleted unless it is the same).
    void SetPartFile(CPartFile* file);

    /// Makes the engine's standard processes, each a child of the main window: a sound
    /// process (NUMPIPES pipes) when the create-sound-process flag is set and there is none.
    /// The sound-service, mouse, message and typed-keyword processes come with the interface
    /// and sound services; the answer is 1 when the typed-keyword service was made (not yet).
    virtual int32_t CreateProcesses();

    /// The sound process whose queues an activity empties when it is left, or null.
    virtual OSoundProcess* GetSoundProcess() { return soundProcess_; }

    /// While set (the game draws its own cursor) the activity manager hides the system cursor
    /// during a switch.
    uint8_t systemCursorFlag = 1;
    uint8_t createSoundProcess = 1;
    uint8_t createMessageProcess = 1;

protected:
    /// Owned by the main window.
    OSoundProcess* soundProcess_ = nullptr;

private:
    CPartFile* partFile_ = nullptr;
};
