#pragma once
// What the engine's tree layer asks of the application object. The application sits above this
// layer (it makes the media processes), so it installs itself as this link when it is made and
// removes itself when it is destroyed.
#include <cstdint>

class CPartFile;

class CApplicationLink {
public:
    virtual ~CApplicationLink() = default;
    /// The open part file of the run, or null.
    virtual CPartFile* GetPartFile() const = 0;
    /// While set (the game draws its own cursor) the activity manager hides the system cursor
    /// during a switch.
    virtual bool HidesSystemCursor() const = 0;
};

/// The application object, or null before it is made and after it is destroyed.
CApplicationLink* xApplication_Link();
void xApplication_SetLink(CApplicationLink* link);
