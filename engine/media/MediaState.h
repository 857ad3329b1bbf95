#pragma once
// The media module's record in the engine context.
#include "engine/media/CommonDlg.h"
#include "engine/media/DiagnosticsState.h"
#include "engine/media/InputMethod.h"
#include "engine/media/NameFilter.h"
#include "engine/media/Sound.h"
#include "engine/media/SoundEngineLink.h"
#include "engine/media/SysFont.h"

class OApplication;

struct CMediaState {
    /// The sound link finds the pipes' sound process through `soundProcess`.
    explicit CMediaState(CSoundEngineLink::SoundProcessFinder soundProcess) : soundLink(soundProcess) {}
    /// Shuts the sound engine down (the output closes, the channel table is freed).
    ~CMediaState();
    CMediaState(const CMediaState&) = delete;
    CMediaState& operator=(const CMediaState&) = delete;

    CSoundState sound;
    CCommonDlgState commonDlg;
    CSoundEngineLink soundLink;
    CDiagnosticsState diagnostics;
    CFontState fonts;
    CInputMethodState inputMethod;
    CNameFilterState nameFilter;
    /// The application object; made and owned by the game.
    OApplication* application = nullptr;
};

/// The installed record.
CMediaState& xMedia_State();
/// Installs the record (null: none) with its sound and diagnostics links as the ones the lower
/// layers call, and registers the rows of the text views (the editable ones among them) and the
/// host character on the engine's class factory; the engine context does this.
void xMedia_InstallState(CMediaState* state);
