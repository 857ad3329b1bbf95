#include "platform/sdl2/Sdl2Desktop.h"

#include <algorithm>
#include <cstring>

#include "platform/Platform.h"

namespace plat {

namespace {

DevMode DevModeOf(const SDL_DisplayMode& m) {
    return MakeDevMode(uint32_t(m.w), uint32_t(m.h), uint32_t(SDL_BYTESPERPIXEL(m.format)) * 8u,
                       m.refresh_rate > 0 ? uint32_t(m.refresh_rate) : 60u);
}

DevMode SdlDesktopMode() {
    SDL_DisplayMode m{};
    if (SDL_GetDesktopDisplayMode(0, &m) != 0 || m.w <= 0 || m.h <= 0) return MakeDevMode(1024, 768, 32, 60);
    DevMode mode = DevModeOf(m);
    if (mode.bitsPerPel == 0) mode.bitsPerPel = 32;
    return mode;
}

bool SdlVideoUp() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

} // namespace

/// A top-level SDL window (or, for a child, a part of its parent's picture).
class Sdl2Window final : public Window {
public:
    Sdl2Window(Sdl2Desktop& desktop, WindowId id, const WindowParams& params) : Window(desktop, id, params) {
        if (IsChild()) return;
        const WinRect client = ClientRect();
        const WinPoint origin = ClientToScreen(WinPoint{0, 0});
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if ((Style() & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
        sdl_ = SDL_CreateWindow(Title().c_str(), origin.x, origin.y, std::max(client.Width(), 1),
                                std::max(client.Height(), 1), flags);
        if (!sdl_) return;
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
        renderer_ = SDL_CreateRenderer(sdl_, -1, 0);
        MakeTexture();
        desktop.bySdlId_[SDL_GetWindowID(sdl_)] = id;
    }

    ~Sdl2Window() override {
        auto& map = static_cast<Sdl2Desktop&>(desktop_).bySdlId_;
        if (sdl_) map.erase(SDL_GetWindowID(sdl_));
        if (!SdlVideoUp()) return; // the video subsystem went first at exit
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (sdl_) SDL_DestroyWindow(sdl_);
    }

    SDL_Window* Sdl() const { return sdl_; }

    /// Applies show state, place, size and full screen to the SDL window.
    void Sync() {
        if (!sdl_) return;
        const Sdl2Desktop& d = static_cast<Sdl2Desktop&>(desktop_);
        const WinRect r = Rect();
        const WinRect screen = d.Rect();
        const bool covers = r.left <= 0 && r.top <= 0 && r.right >= screen.right && r.bottom >= screen.bottom;
        const bool full = d.IsModeSwitched() && IsVisible() && !IsMinimized() && covers;
        if (full != fullscreen_) {
            SDL_SetWindowFullscreen(sdl_, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
            fullscreen_ = full;
        }
        if (!full) {
            const WinRect client = ClientRect();
            const WinPoint origin = ClientToScreen(WinPoint{0, 0});
            SDL_SetWindowPosition(sdl_, origin.x, origin.y);
            SDL_SetWindowSize(sdl_, std::max(client.Width(), 1), std::max(client.Height(), 1));
        }
        if (!IsVisible()) {
            SDL_HideWindow(sdl_);
        } else if (IsMinimized()) {
            SDL_ShowWindow(sdl_);
            SDL_MinimizeWindow(sdl_);
        } else {
            SDL_ShowWindow(sdl_);
            if (SDL_GetWindowFlags(sdl_) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(sdl_);
        }
        MakeTexture();
        Render();
    }

    /// Shows the picture: the whole texture scaled to the logical size.
    void Render() {
        if (!renderer_) return;
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        if (texture_) SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
    }

    /// Uploads the whole picture again (after a render reset).
    void Reupload() {
        if (texture_ && image_.width > 0 && image_.height > 0)
            SDL_UpdateTexture(texture_, nullptr, image_.pixels.data(), int(image_.width * sizeof(Argb)));
        Render();
    }

    bool ReadRendered(Image& out) {
        if (!renderer_) return false;
        Render();
        int w = 0, h = 0;
        if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0 || w <= 0 || h <= 0) return false;
        out.width = 0;
        out.height = 0;
        out.pixels.clear();
        out.Resize(w, h);
        if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, out.pixels.data(),
                                 int(w * sizeof(Argb))) != 0)
            return false;
        for (Argb& p : out.pixels) p |= 0xFF000000u;
        return true;
    }

protected:
    /// Each copy is shown as it is made.
    bool DefersConversion() const override { return false; }
    void OnImageChanged(const WinRect& rect) override {
        if (IsChild()) {
            // A child's picture is part of its parent's.
            auto* parent = static_cast<Sdl2Window*>(desktop_.Find(Parent()));
            if (!parent) return;
            // The parent's point of each child point is the child's plus (dx, dy); only the part
            // inside the parent's picture is copied.
            const WinPoint at = parent->ScreenToClient(ClientToScreen(WinPoint{rect.left, rect.top}));
            const int32_t dx = at.x - rect.left;
            const int32_t dy = at.y - rect.top;
            const WinRect part{std::max(rect.left, -dx), std::max(rect.top, -dy),
                               std::min(rect.right, parent->image_.width - dx),
                               std::min(rect.bottom, parent->image_.height - dy)};
            if (part.IsEmpty()) return;
            for (int32_t y = part.top; y < part.bottom; ++y) {
                const Argb* from = image_.Row(y);
                std::copy(from + part.left, from + part.right, parent->image_.Row(y + dy) + part.left + dx);
            }
            parent->OnImageChanged(WinRect{part.left + dx, part.top + dy, part.right + dx, part.bottom + dy});
            return;
        }
        if (!texture_) return;
        const SDL_Rect r{rect.left, rect.top, rect.Width(), rect.Height()};
        SDL_UpdateTexture(texture_, &r, image_.Row(rect.top) + rect.left, int(image_.width * sizeof(Argb)));
        Render();
    }
    void OnTitleChanged() override {
        if (sdl_) SDL_SetWindowTitle(sdl_, Title().c_str());
    }

private:
    void MakeTexture() {
        if (!renderer_) return;
        if (texture_ && textureW_ == image_.width && textureH_ == image_.height) return;
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = nullptr;
        textureW_ = image_.width;
        textureH_ = image_.height;
        if (image_.width <= 0 || image_.height <= 0) return;
        SDL_RenderSetLogicalSize(renderer_, image_.width, image_.height);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, image_.width,
                                     image_.height);
        if (texture_) {
            SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
            SDL_UpdateTexture(texture_, nullptr, image_.pixels.data(), int(image_.width * sizeof(Argb)));
        }
    }

    SDL_Window* sdl_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int32_t textureW_ = 0;
    int32_t textureH_ = 0;
    bool fullscreen_ = false;
};

Sdl2Desktop::Sdl2Desktop() : Desktop(SdlDesktopMode()) {
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(0, i, &m) == 0) modes_.push_back(DevModeOf(m));
    }
    // The stage's modes are always offered: they are shown scaled to the screen.
    for (uint32_t bits : {8u, 16u, 32u}) {
        const DevMode stage = MakeDevMode(640, 480, bits, 60);
        if (std::none_of(modes_.begin(), modes_.end(), [&](const DevMode& m) { return ModeMatches(stage, m); }))
            modes_.push_back(stage);
    }
}

Sdl2Desktop::~Sdl2Desktop() { ReleaseWindows(); }

std::unique_ptr<Window> Sdl2Desktop::MakeWindow(WindowId id, const WindowParams& params) {
    return std::make_unique<Sdl2Window>(*this, id, params);
}

void Sdl2Desktop::OnModeChanged() {
    for (WindowId id : TopLevelWindows())
        if (auto* w = static_cast<Sdl2Window*>(Find(id))) w->Sync();
}

void Sdl2Desktop::OnWindowChanged(Window& window) {
    if (!window.IsChild()) static_cast<Sdl2Window&>(window).Sync();
}

WindowId Sdl2Desktop::FromSdlWindow(uint32_t sdlWindowId) const {
    auto it = bySdlId_.find(sdlWindowId);
    return it == bySdlId_.end() ? 0 : it->second;
}

bool Sdl2Desktop::ReadRendered(WindowId window, Image& out) {
    auto* w = static_cast<Sdl2Window*>(Find(window));
    return w && !w->IsChild() && w->ReadRendered(out);
}

bool Sdl2Desktop::HandleEvent(const SDL_Event& event) {
    if (event.type == SDL_RENDER_TARGETS_RESET || event.type == SDL_RENDER_DEVICE_RESET) {
        if (services().ddraw) services().ddraw->LoseSurfaces();
        for (WindowId id : TopLevelWindows())
            if (auto* w = static_cast<Sdl2Window*>(Find(id))) w->Reupload();
        return true;
    }
    if (event.type != SDL_WINDOWEVENT) return false;
    const WindowId id = FromSdlWindow(event.window.windowID);
    auto* w = static_cast<Sdl2Window*>(Find(id));
    if (!w) return false;
    switch (event.window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        SetActive(id);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (Active() == id) {
            if (services().ddraw && (services().ddraw->stats().cooperativeFlags & dd::DDSCL_EXCLUSIVE))
                services().ddraw->LoseSurfaces();
            Deactivate();
        }
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        if (!w->IsMinimized()) {
            if (services().ddraw) services().ddraw->LoseSurfaces();
            w->Send(WM_SYSCOMMAND, SC_MINIMIZE, 0);
            if (Find(id) && !w->IsMinimized()) w->Show(SW_MINIMIZE);
        }
        break;
    case SDL_WINDOWEVENT_RESTORED:
        if (w->IsMinimized()) {
            w->Send(WM_SYSCOMMAND, SC_RESTORE, 0);
            // A procedure that refused the restore keeps the window minimised.
            if (Find(id) && w->IsMinimized()) w->Sync();
        }
        break;
    case SDL_WINDOWEVENT_CLOSE:
        w->Send(WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        w->Render();
        break;
    default:
        break;
    }
    return true;
}

} // namespace plat
