#include "game/shell/SignInBadgeProps.h"

#include "game/shell/SignInActivity.h"

void Sign_In_Empty_Icon::OnButtonUp() {
    if (SignIn_Activity* screen = CurrentSignIn()) screen->OnClick();
    Base_Button_Prop::OnButtonUp();
}

void Sign_In_Text_BG::OnButtonUp() {
    if (SignIn_Activity* screen = CurrentSignIn(); screen && badge_ >= 0) screen->SelectBadge(badge_);
    Base_Button_Prop::OnButtonUp();
}

void Sign_In_Text_BG::OnCursorEnter() {
    if (SignIn_Activity* screen = CurrentSignIn(); screen && badge_ >= 0) screen->HighlightBadge(badge_);
    Base_Button_Prop::OnCursorEnter();
}

void Sign_In_Text_BG::OnCursorLeave() {
    if (SignIn_Activity* screen = CurrentSignIn()) screen->HighlightBadge(-1);
    Base_Button_Prop::OnCursorLeave();
}
