#pragma once

class OActivity;

/// The activity the stage shows, as the props see it: they place their sounds and decide whether
/// they are on screen by its scroll offset. The activity manager sets it when it switches an
/// activity in and clears it before the activity goes; null when none.
void xActivity_SetCurrentView(OActivity* activity);
OActivity* xActivity_GetCurrentView();
