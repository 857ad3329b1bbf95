#pragma once
#include <cstdint>
#include <memory>

#include "engine/core/ApplicationLink.h"
#include "engine/data/PartFile.h"

class OCheatService;
class OMessageProcess;
class OMouseProcess;
class OProcess;
class OSoundProcess;
class OSoundServiceProcess;

/// The base of the game's application object: the engine reaches the game's part file and
/// processes through it, never through a game class. There is one at a time; it registers
/// itself (also as the tree layer's application link) when made and is forgotten when
/// destroyed.
class OApplication : public CApplicationLink {
public:
    OApplication();
    /// Shuts the sound engine down and deletes the part file.
    ~OApplication() override;
    OApplication(const OApplication&) = delete;
    OApplication& operator=(const OApplication&) = delete;

    /// The application object, or null before it is made and after it is destroyed.
    static OApplication* Get();

    /// The open part file of the run, or null.
    CPartFile* GetPartFile() const override { return partFile_.get(); }
    /// Hands over the part file; the old one is deleted.
    void SetPartFile(std::unique_ptr<CPartFile> file);

    /// Makes the engine's standard processes, each a child of the main window: the sound
    /// service first, a mouse process when there is none, the typed-keyword service with the
    /// engine's keyword table, a sound process (NUMPIPES pipes) when the create-sound-process
    /// flag is set and there is none, and then a message process on it when the
    /// create-message-process flag is set too and there is none. The answer is 1 when the
    /// keyword service was made.
    virtual int32_t CreateProcesses();
    /// Makes the part-file flush process (a child of the main window) once; false when it exists
    /// or cannot be made.
    bool CreateExtraProcess();
    /// Suspend and resume the flush process with its children; false when there is none. The
    /// movie players call them around playback.
    bool SuspendExtra();
    bool ResumeExtra();
    OProcess* GetExtraProcess() const { return extraProcess_; }

    // The processes, null until made; the main window owns them.
    virtual OMouseProcess* GetMouseProcess() { return mouseProcess_; }
    virtual OCheatService* GetCheatService() { return cheatService_; }
    /// The sound process whose queues an activity empties when it is left.
    virtual OSoundProcess* GetSoundProcess() { return soundProcess_; }
    virtual OMessageProcess* GetMessageProcess() { return messageProcess_; }
    /// Forgets a process that is being destroyed.
    void ForgetProcess(const OProcess* process);

    /// While set (the game draws its own cursor) the activity manager hides the system cursor
    /// during a switch and the mouse process hides it under a pointer view.
    uint8_t systemCursorFlag = 1;
    bool HidesSystemCursor() const override { return systemCursorFlag != 0; }
    uint8_t createSoundProcess = 1;
    uint8_t createMessageProcess = 1;

protected:
    // Children of the main window, which owns them.
    OSoundServiceProcess* soundService_ = nullptr;
    OMouseProcess* mouseProcess_ = nullptr;
    OCheatService* cheatService_ = nullptr;
    OSoundProcess* soundProcess_ = nullptr;
    OMessageProcess* messageProcess_ = nullptr;
    OProcess* extraProcess_ = nullptr;

private:
    std::unique_ptr<CPartFile> partFile_;
};
