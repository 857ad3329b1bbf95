#include "engine/media/AssetWatcher.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/blit/ColorPalette.h"
#include "engine/core/Activity.h"
#include "engine/core/ActivityProp.h"
#include "engine/core/BackgroundView.h"
#include "engine/data/ChunkId.h"
#include "engine/data/PartFile.h"
#include "engine/graphics/Part.h"
#include "engine/media/Application.h"
#include "engine/media/DiagnosticsState.h"
#include "engine/media/TextCView.h"
#include "platform/Platform.h"

namespace {

constexpr CPanelLook kLook{"Asset Watcher", 0, 0, 250, 100, ColorWord(200, 200, 200), 0};
constexpr CWatcherKey kKey{"ASSETSTATSVISIBLE",
                           "xProfiles_GetBoolean(ASSETSTATSVISIBLE,&bState)",
                           "xProfiles_Set(ASSETSTATSVISIBLE,bState)",
                           "CAssetWatcher",
                           78,
                           89};

/// The class name shown for a class id; "" for the ids the caller tells by IsA.
const char* ClassNameOf(uint32_t classId) {
    switch (classId) {
    case 50: return "OView";
    case 51: return "OActivityObject";
    case 52: return "OBackgroundView";
    case 53: return "OActivity";
    case 54: return "OActivityProp";
    case 70: case 72: case 73: case 74: case 76: case 77: case 78: return "OTextView";
    default: return "";
    }
}

void Append(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Append(std::string& text, const char* format, ...) {
    char line[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    text += line;
}

} // namespace

bool CAssetWatcher::Create() { return xWatcher_Create(xDiagnostics_State().asset); }

void CAssetWatcher::Destroy() { delete Get(); }

CAssetWatcher* CAssetWatcher::Get() { return xDiagnostics_State().asset; }

bool CAssetWatcher::IsVisible() { return kKey.Get(); }

void CAssetWatcher::SetVisible(bool visible) {
    kKey.Set(visible);
    if (CAssetWatcher* watcher = Get())
        if (OTextCView* view = watcher->GetView()) view->SetVisible(IsVisible() ? 1 : 0, 0);
}

CAssetWatcher::~CAssetWatcher() {
    if (Get() == this) xDiagnostics_State().asset = nullptr;
}

bool CAssetWatcher::BuildView() {
    if (!BuildPanel(kLook, IsVisible())) return false;
    refreshTimer_.Restart();
    return true;
}

int32_t CAssetWatcher::OnIdle() {
    Refresh(IsVisible());
    return 1;
}

std::string CAssetWatcher::Describe(const CPoint16& point) {
    OWindow* window = OWindow::Main();
    OView* view = window ? window->ViewAtPointExcluding(point, true) : nullptr;
    std::string text;
    Append(text, "View pointer : 0x%08" PRIXPTR "\r", reinterpret_cast<uintptr_t>(view));
    long x = 0;
    long y = 0;
    long state = -1;
    long frame = 0;
    if (view) {
        x = long(view->GetPosition().x);
        y = long(view->GetPosition().y);
        const uint32_t classId = view->GetClassId();
        const char* className = ClassNameOf(classId);
        bool activity = classId == 52 || classId == 53;
        bool prop = classId == 54;
        char type[48] = "";
        if (!*className) {
            activity = view->IsA(OActivity::kClassId);
            prop = !activity && view->IsA(OActivityProp::kClassId);
            className = activity ? "OActivity (derived from)" : prop ? "OActivityProp (derived from)" : "OView (unknown)";
            if (!activity && !prop) std::snprintf(type, sizeof type, "object type # %ld", long(classId));
        }
        ChunkId asset = kNullChunkId;
        if (activity) {
            asset = static_cast<OBackgroundView*>(view)->GetBackgroundId();
        } else if (CPart* part = prop ? static_cast<OActivityProp*>(view)->GetAnimSet() : nullptr) {
            part->GetChunkId(&asset);
            state = part->GetStateIndex();
            frame = part->GetFrame();
        }
        Append(text, "Class name : %s\r", className);
        Append(text, "Object name : %s\r", view->GetName());
        Append(text, "Object type : %s\r", type);
        if (asset != kNullChunkId) {
            Append(text, "Asset ID : %ld,%ld,%ld\r", long(ChunkIndexOf(asset)), long(ChunkSecondOf(asset)),
                   long(ChunkEntryOf(asset)));
            OApplication* app = OApplication::Get();
            char name[ravo::kChunkNameLength];
            if (app && app->GetPartFile() && app->GetPartFile()->ReadChunkName(asset, name, sizeof name))
                Append(text, "Asset name : %s\r", name);
        }
    }
    Append(text, "Asset Loc : %ld,%ld\r", x, y);
    if (state != -1) {
        Append(text, "State : %ld\r", state);
        Append(text, "Frame : %ld\r", frame);
    }
    return text;
}

void CAssetWatcher::Compose() {
    OWindow* window = OWindow::Main();
    const plat::WinPoint cursor = plat::input().ScreenToClient(window->GetWindowId(), plat::input().CursorPos());
    const std::string text = Describe(CPoint16(int16_t(cursor.x), int16_t(cursor.y)));
    if (std::strcmp(text.c_str(), GetView()->GetTextPtr()) != 0) GetView()->SetText(text.c_str());
}
