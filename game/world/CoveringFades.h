#pragma once
#include <cstdint>
#include <vector>

#include "engine/base/Rect.h"

class OActivityProp;

/// Fades out the buildings and still props drawn in front of the vehicle near the middle of
/// the screen, and fades them back in once they no longer cover it. Entries are non-owning:
/// the world forgets a prop here before the prop goes.
class CCoveringFades {
public:
    static constexpr int16_t kStartLevel = 100;
    static constexpr int16_t kStep = 10;

    struct Entry {
        OActivityProp* prop = nullptr;
        int16_t level = 0; ///< < 0 fading out, > 0 fading in, 0 faded
    };

    /// The visible rectangle with a quarter of its width off each side and a quarter of its
    /// height off the top and the bottom.
    static CRect16 InnerRect(const CRect16& visible);

    /// For each candidate (the props the world found on screen that may fade, in its order):
    /// one that no longer meets the inner rectangle turns back from level 0 (+100); one that
    /// meets it, has no entry yet and is drawn above `threshold` starts fading out (-100).
    void Update(const CRect16& visible, int32_t threshold, const std::vector<OActivityProp*>& candidates);
    /// One step of every entry, in order (every 66 ms): blended draws while fading, back to the
    /// plain draw mode when a fade-in ends (the entry then goes).
    void Step();
    /// Drops the prop's entry, if any.
    void Forget(const OActivityProp* prop);
    void Clear();

    const std::vector<Entry>& Entries() const { return entries_; }
    /// The prop's level, or nothing when it has no entry.
    const Entry* Find(const OActivityProp* prop) const;

private:
    std::vector<Entry> entries_;
};
