#include "game/shell/SignInDeleteButton.h"

#include "game/shell/SignInActivity.h"

void Sign_In_Delete_Button::OnButtonUp() {
    SignIn_Activity* screen = CurrentSignIn();
    if (screen && !IsDisabled() && screen->GetSelectedBadge() != -1)
        screen->CreateButtonPanel(CTLVActivity::kPanelDelete);
    Base_Button_Prop::OnButtonUp();
}
