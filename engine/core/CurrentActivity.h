#pragma once

class OView;

/// The activity the stage shows, as the props see it: they place their sounds and decide whether
/// they are on screen by it. The activity manager sets it when it switches an activity in and
/// clears it when the activity goes; null when none.
void xActivity_SetCurrentView(OView* activity);
OView* xActivity_GetCurrentView();
