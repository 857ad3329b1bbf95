#include "game/shell/CertificatePrintButton.h"

#include "game/shell/CertificateActivity.h"
#include "game/shell/TLVActivity.h"

void Certificate_Print_Button::OnButtonUp() {
    if (!IsDisabled())
        if (auto* certificate = dynamic_cast<Certificate_Activity*>(CurrentGameActivity())) certificate->Print();
    if (IsCaptionQueued(Certificate_Activity::kPrintLabel)) FlushMessageQueue();
    Base_Button_Prop::OnButtonUp();
}
