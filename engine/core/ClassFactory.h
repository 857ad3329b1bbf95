#pragma once
#include <cstdint>

class OActivity;
class OView;

/// What makes activities and their objects from the class ids of activity data. The game
/// registers its own with the activity manager; the engine's OClassFactory is always asked last.
class CFactory {
public:
    virtual ~CFactory() = default;
    /// A new activity of that class, or null.
    virtual OActivity* CreateActivity(uint32_t classId) = 0;
    /// A new prop or view of that class, or null.
    virtual OView* CreateActivityProp(uint32_t classId) = 0;
    virtual int32_t Reset() = 0;
    /// Whether CreateActivity knows the id.
    virtual bool IsSupported(uint32_t classId) = 0;
};

/// The engine's factory: the plain activity (53), the plain prop (54), the text views (72-74,
/// 76-78) and the host character (100).
class OClassFactory : public CFactory {
public:
    OActivity* CreateActivity(uint32_t classId) override;
    OView* CreateActivityProp(uint32_t classId) override;
    int32_t Reset() override { return 0; }
    bool IsSupported(uint32_t classId) override;
};
