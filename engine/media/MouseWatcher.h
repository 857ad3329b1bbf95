#pragma once
#include "engine/media/StatWatcher.h"

/// The pointer's position and the last button-down position, at the bottom left of the stage,
/// shown while MOUSESTATSVISIBLE is set.
class CMouseWatcher : public CStatWatcher {
public:
    /// Makes the watcher (its panel comes with its first refresh while the key is set); false
    /// when it exists or there is no main window.
    static bool Create();
    static void Destroy();
    static CMouseWatcher* Get();
    /// MOUSESTATSVISIBLE.
    static bool IsVisible();
    /// Stores MOUSESTATSVISIBLE and shows or hides the panel by it, when there is one.
    static void SetVisible(bool visible);

    ~CMouseWatcher() override;
    bool BuildView() override;
    /// Refreshes the text every 250 ms while the key is set; 1.
    int32_t OnIdle() override;

private:
    void Compose() override;
};
