#include "game/shell/AwardButton.h"

#include "game/shell/CertificateActivity.h"
#include "game/shell/TLVActivity.h"

void Award_Button::OnButtonUp() {
    FlushMessageQueue();
    if (auto* certificate = dynamic_cast<Certificate_Activity*>(CurrentGameActivity()))
        certificate->SpeakAwardLine(awardIndex_);
    Base_Button_Prop::OnButtonUp();
}
