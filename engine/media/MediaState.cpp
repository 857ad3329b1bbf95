#include "engine/media/MediaState.h"

#include <new>

#include "engine/base/BaseState.h"
#include "engine/core/ClassFactory.h"
#include "engine/core/DiagnosticsLink.h"
#include "engine/media/Host.h"
#include "engine/media/TextCView.h"
#include "engine/media/TextDEditView.h"
#include "engine/media/TextDView.h"
#include "engine/media/TextFXEditView.h"
#include "engine/media/TextFXView.h"
#include "engine/media/TextIMEView.h"

namespace {

/// A text view under its own registration name and class id.
template <typename View>
OView* MakeView() {
    return new (std::nothrow) View;
}

CMediaState*& Installed() {
    static CMediaState* state = nullptr;
    return state;
}

} // namespace

CMediaState::~CMediaState() { xSound_Shutdown(); }

CMediaState& xMedia_State() {
    if (Installed() == nullptr) xEngine_StateMissing("engine/media");
    return *Installed();
}

void xMedia_InstallState(CMediaState* state) {
    Installed() = state;
    xSoundLink_Install(state != nullptr ? &state->soundLink : nullptr);
    xDiagnostics_SetLink(state != nullptr ? &state->diagnostics.link : nullptr);
    if (state == nullptr) return;
    xClassFactory_Register({OTextFXView::kClassId, nullptr, &MakeView<OTextFXView>});
    xClassFactory_Register({OTextCView::kClassId, nullptr, &MakeView<OTextCView>});
    xClassFactory_Register({OTextDView::kClassId, nullptr, &MakeView<OTextDView>});
    xClassFactory_Register({OTextFXEditView::kClassId, nullptr, &MakeView<OTextFXEditView>});
    xClassFactory_Register({OTextDEditView::kClassId, nullptr, &MakeView<OTextDEditView>});
    xClassFactory_Register({OTextIMEView::kClassId, nullptr, &MakeView<OTextIMEView>});
    xClassFactory_Register({OHost::kClassId, nullptr, &MakeView<OHost>});
}

CDiagnosticsState& xDiagnostics_State() { return xMedia_State().diagnostics; }
