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

/// One class the engine factory makes: its id and what makes an object of it (an activity, or a
/// prop or view; the other maker is null).
struct CClassRow {
    uint32_t classId = 0;
    OActivity* (*makeActivity)() = nullptr;
    OView* (*makeView)() = nullptr;
};

/// Adds a row to the engine factory's table, replacing an earlier row of the same id. The tree
/// layer makes the plain activity (53) and the plain prop (54) itself; the modules above it
/// register theirs (the text views 72-74 and 76-78, the host character 100) at start-up.
void xClassFactory_Register(const CClassRow& row);

/// The engine's factory: the rows of its table.
class OClassFactory : public CFactory {
public:
    OActivity* CreateActivity(uint32_t classId) override;
    OView* CreateActivityProp(uint32_t classId) override;
    int32_t Reset() override { return 0; }
    /// Whether the table has a row of the id.
    bool IsSupported(uint32_t classId) override;
};
