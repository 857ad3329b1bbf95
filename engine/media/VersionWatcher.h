#pragma once
#include "engine/media/StatWatcher.h"

/// The engine banner over the top-left corner of the stage, made when VERSIONVISIBLE is set at
/// start or by a debug keyword.
class CVersionWatcher : public CStatWatcher {
public:
    /// Makes the watcher with its panel; false when it exists or there is no main window.
    static bool Create();
    /// Deletes the watcher and its panel, when there is one.
    static void Destroy();
    static CVersionWatcher* Get();

    ~CVersionWatcher() override;
    /// The banner, always shown once built.
    bool BuildView() override;
    int32_t OnIdle() override { return 1; }
};
