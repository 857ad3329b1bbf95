#pragma once
#include <string>

#include "engine/base/Point.h"
#include "engine/media/StatWatcher.h"

/// What lies under the pointer (the topmost view: its address, class, name, asset, place, state
/// and frame), over the top-left corner of the stage, shown while ASSETSTATSVISIBLE is set.
class CAssetWatcher : public CStatWatcher {
public:
    /// Makes the watcher (its panel comes with its first refresh while the key is set); false
    /// when it exists or there is no main window.
    static bool Create();
    static void Destroy();
    static CAssetWatcher* Get();
    /// ASSETSTATSVISIBLE.
    static bool IsVisible();
    /// Stores ASSETSTATSVISIBLE and shows or hides the panel by it, when there is one.
    static void SetVisible(bool visible);

    ~CAssetWatcher() override;
    bool BuildView() override;
    /// Refreshes the text every 250 ms while the key is set; the panel's text is replaced only
    /// when it changed. 1.
    int32_t OnIdle() override;

    /// The text that describes the view under the stage point (client coordinates).
    static std::string Describe(const CPoint16& point);

private:
    void Compose() override;
};
