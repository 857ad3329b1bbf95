#pragma once

class ONode;
class OObject;

/// What the frame tick and deferred deletion ask of the activity manager. The manager installs
/// itself with xPlatform_SetActivityHooks when it is made and removes itself when destroyed;
/// without it the tick runs no switch step and deletions tell nobody.
class CActivityHooks {
public:
    virtual ~CActivityHooks() = default;
    /// Whether an activity switch is waiting for its next step.
    virtual bool IsSwitchPending() = 0;
    /// Runs one step of the pending switch.
    virtual void StepSwitch() = 0;
    /// Tells the current activity, when there is one, that `object` is about to be deleted.
    virtual void OnObjectDeleted(OObject* object) = 0;
    /// A node is being destroyed (by its owner, the tree or whoever holds it): the manager
    /// forgets it wherever it points at it.
    virtual void OnNodeDestroyed(const ONode* /*node*/) {}
};

void xPlatform_SetActivityHooks(CActivityHooks* hooks);
CActivityHooks* xPlatform_GetActivityHooks();
