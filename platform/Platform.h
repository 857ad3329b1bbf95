#pragma once
#include <memory>

#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "platform/DirectDraw.h"
#include "platform/Gdi.h"
#include "platform/DebugOutput.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Fonts.h"
#include "platform/Input.h"
#include "platform/InputMethod.h"
#include "platform/Locale.h"
#include "platform/Registry.h"
#include "platform/Messages.h"
#include "platform/Movie.h"
#include "platform/Printer.h"
#include "platform/System.h"

namespace plat {

/// The one system object: the services the engine calls where the original called Windows.
/// Every service is replaceable, so tests swap in fakes and the program picks a backend.
struct Services {
    std::unique_ptr<Clock> clock;
    std::unique_ptr<DebugOutput> debug;
    std::unique_ptr<System> system;
    std::unique_ptr<Files> files;
    std::unique_ptr<Dialogs> dialogs;
    std::unique_ptr<Locale> locale;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<Messages> messages;
    std::unique_ptr<Input> input;
    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<Gdi> gdi;
    std::unique_ptr<dd::Library> ddraw;
    std::unique_ptr<Printer> printer;
    std::unique_ptr<Movies> movies;
    std::unique_ptr<InputMethod> inputMethod;
    std::unique_ptr<Fonts> fonts;
    std::unique_ptr<Audio> audio;
};

/// The process-wide services; filled with the headless backend on first use.
Services& services();

/// True once the process-wide services exist; code that may run while they are being made
/// (the memory manager under operator new) asks this before calling a service.
bool ServicesReady();

/// Replaces every service with a fresh headless one (virtual clock at 1000, recording debug
/// output and dialogs, POSIX files, the XP identity, a scripted message queue and settable
/// input state, a desktop without a screen, the drawing stand-in, the display stand-in, the
/// fonts of the pinned configuration, the mixer over the null sound device, the movie decoder
/// and an idle input method).
void UseHeadless();

/// Replaces the services that have a real-window counterpart with the SDL2 backend. False when
/// SDL2 is not built in or cannot start; the services are then left as they were.
bool UseSdl2();

/// Replaces the printer with the system's: PDF documents sent to the print system's default
/// destination; with VQT_PRINT_FOLDER naming a folder, or without a default destination, one
/// PDF file per document in that folder (else in the user's data folder, told in the debug
/// output). Where neither can be had there is no default printer.
void UseSystemPrinter();

inline Clock& clock() { return *services().clock; }
inline DebugOutput& debug() { return *services().debug; }
inline System& system() { return *services().system; }
inline Files& files() { return *services().files; }
inline Dialogs& dialogs() { return *services().dialogs; }
inline Locale& locale() { return *services().locale; }
inline Registry& registry() { return *services().registry; }
inline Messages& messages() { return *services().messages; }
inline Input& input() { return *services().input; }
inline Desktop& desktop() { return *services().desktop; }
inline Gdi& gdi() { return *services().gdi; }
inline dd::Library& ddraw() { return *services().ddraw; }
inline Printer& printer() { return *services().printer; }
inline Movies& movies() { return *services().movies; }
inline InputMethod& inputMethod() { return *services().inputMethod; }
inline Fonts& fonts() { return *services().fonts; }
inline Audio& audio() { return *services().audio; }

/// A window of the current desktop; null without a desktop or for an unknown window.
inline Window* WindowById(WindowId id) { return services().desktop ? services().desktop->Find(id) : nullptr; }

} // namespace plat
