#include "engine/media/TextView.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/media/Application.h"
#include "engine/base/Trace.h"
#include "engine/core/Window.h"
#include "engine/data/ChunkRecords.h"
#include "engine/data/MessageTexts.h"
#include "engine/data/PartFile.h"
#include "engine/data/Profiles.h"
#include "engine/blit/ColorPalette.h"
#include "engine/graphics/DrawSurface.h"
#include "engine/media/SysFont.h"
#include "platform/Platform.h"

int16_t xText_StageDepth() {
    const OWindow* window = OWindow::Main();
    return window && window->GetDepth() > 0 ? window->GetDepth() : 16;
}

bool xText_SurfaceUsable(CDrawSurface* surface) {
    if (!surface) return false;
    if (surface->IsSurfaceLost() && surface->Restore() == 0) return false;
    return surface->IsValid();
}

OTextView* xText_PlaceView(OTextView* view, int16_t x, int16_t y, int16_t width, int16_t height, ONode* parent) {
    if (!view) return nullptr;
    view->SetPosition(CPointF(x, y), 0, 0);
    view->SetSize(CPoint16(width, height), 0);
    view->UseFont(GetDefaultSysFont(), false);
    view->Invalidate();
    if (parent) parent->AddChild(view);
    return view;
}

OTextView::OTextView(const char* name, uint32_t classId) : OActivityProp(name, classId) {
    sShort direction = 0;
    if (xProfiles_GetShort("TEXTDIRECTION", &direction)) direction_ = uint16_t(direction);
}

OTextView::~OTextView() = default;

bool OTextView::IsA(uint32_t classId) const { return classId == kClassId || OActivityProp::IsA(classId); }

bool OTextView::HandleProperty(OPropertyMsg* msg, int32_t set) {
    if (!msg || msg->family != kClassId) return OActivityProp::HandleProperty(msg, set);
    switch (msg->id) {
    case kPropTextEntry: msg->Exchange(0, textEntry_, set); break;
    case kPropLanguage: msg->Exchange(0, textLanguage_, set); break;
    case kPropWordWrap: msg->Exchange(0, dataWordWrap_, set); break;
    case kPropAlignment: msg->Exchange(0, dataAlignment_, set); break;
    case kPropFontKind: msg->Exchange(0, fontKind_, set); break;
    case kPropFontStyle: msg->Exchange(0, fontStyle_, set); break;
    case kPropFontSize: msg->Exchange(0, fontSize_, set); break;
    case kPropTransparent: msg->Exchange(0, dataTransparent_, set); break;
    case kPropTextColor: msg->Exchange(0, dataTextColor_, set); break;
    case kPropBackColor: msg->Exchange(0, dataBackColor_, set); break;
    case kPropFaceName: msg->ExchangeText(faceName_, sizeof faceName_, set); break;
    case kPropSecondName: msg->ExchangeText(secondName_, sizeof secondName_, set); break;
    case kPropDirection: {
        uint16_t direction = direction_;
        if (msg->Exchange(0, direction, set) && set != 0 && direction != 0) direction_ = direction;
        break;
    }
    default: break;
    }
    return true;
}

int32_t OTextView::OnPropertiesLoaded() {
    LoadText();
    SetWordWrap(uint8_t(dataWordWrap_ != 0));
    SetAlignment(int32_t(dataAlignment_));
    SetTransparent(dataTransparent_);
    SetBackColor(dataBackColor_);
    SetTextColor(dataTextColor_);
    LoadFont();
    return OActivityProp::OnPropertiesLoaded();
}

void OTextView::LoadText() {
    if (textEntry_ == 0) return;
    OApplication* app = OApplication::Get();
    CPartFile* file = app ? app->GetPartFile() : nullptr;
    if (!file) return;
    const uint32_t language = textLanguage_ == kLanguageCurrent    ? xLanguage_Get()
                              : textLanguage_ == kLanguageFallback ? kFallbackLanguage
                                                                   : uint32_t(textLanguage_);
    std::string text;
    if (xText_ReadChunkText(file, MakeChunkId(file->FindDataIndex(Tag4("utxt")), textEntry_), language, &text))
        SetText(text.c_str());
}

bool xText_ReadChunkText(CPartFile* file, ChunkId id, uint32_t language, std::string* text) {
    CChunkList list;
    if (!file || !text || !list.Load(file, id)) return false;
    uint32_t bytes = list.FindValue(language);
    if (bytes == 0) {
        language = OTextView::kFallbackLanguage;
        bytes = list.FindValue(language);
    }
    if (bytes == 0) return false;
    std::vector<char16_t> wide(bytes / 2 + 1);
    if (!list.GetText(language, wide.data(), uint32_t(wide.size() * 2))) return false;
    // Converted whole: a text is not cut at any fixed length.
    *text = plat::locale().WideToMulti(std::u16string_view(wide.data()));
    return true;
}

void OTextView::LoadFont() {
    auto font = std::make_unique<OSysFont>();
    char defaultFace[kNameBytes] = {};
    xProfiles_GetString("DEFWINFONT", defaultFace);
    char face[kNameBytes] = {};
    if (!defaultFace[0] && !faceName_[0]) {
        if (fontKind_ != -1) xFont_GetStandardName(fontKind_ >= 0 && fontKind_ <= 3 ? fontKind_ : 0, face);
    } else {
        std::strcpy(face, faceName_[0] ? faceName_ : defaultFace);
    }
    if (fontSize_ != -1) font->SetSize(fontSize_);
    if (fontStyle_ != -1) font->SetStyle(uint32_t(fontStyle_));
    if (!font->CreateFontByName(face)) {
        xTracef("Load font failed for font : %s\n", face);
        font->CreateFontByName("System");
    }
    if (UseFont(font.get(), true)) font.release();
}

bool OTextView::UseFont(OFont* font, bool owned) {
    if (!SetFont(font)) return false;
    if (font != font_) {
        ownedFont_.reset(owned ? font : nullptr); // an owned previous font goes
        font_ = font;
    } else if (owned && !ownedFont_) {
        ownedFont_.reset(font);
    }
    Reformat();
    return true;
}

void OTextView::SetWordWrap(uint8_t on) {
    if (on == wordWrap_) return;
    wordWrap_ = on;
    Reformat();
}

void OTextView::SetTransparent(uint8_t on) {
    if (on == transparent_) return;
    transparent_ = on;
    Reformat();
}

uint32_t OTextView::SetText(const OString& text) {
    SetText(text.c_str());
    return text_.Length();
}

void OTextView::SetText(const char* text) {
    if (!text) return;
    text_.Assign(text);
    Reformat();
}

void OTextView::GetText(char* buffer, size_t size) const {
    if (!buffer || size == 0) return;
    const size_t n = std::min<size_t>(text_.Length(), size - 1);
    std::memcpy(buffer, text_.c_str(), n);
    buffer[n] = '\0';
}

int32_t OTextView::GetCharWidth(uint16_t ch) { return font_ ? font_->GetCharWidth(ch, MeasuringSurface()) : -1; }
int32_t OTextView::GetTextWidth(const char* text) {
    return font_ ? font_->GetTextWidth(text, MeasuringSurface()) : -1;
}
int32_t OTextView::GetCharHeight(uint16_t ch) { return font_ ? font_->GetCharHeight(ch, MeasuringSurface()) : -1; }
int32_t OTextView::GetTextHeight(const char* text) {
    return font_ ? font_->GetTextHeight(text, MeasuringSurface()) : -1;
}

void OTextView::SetAlignment(int32_t alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Reformat();
}

void OTextView::SetTextColor(uint32_t colour) {
    if (colour == textColor_) return;
    textColor_ = colour;
    Reformat();
}

void OTextView::SetBackColor(uint32_t colour) {
    if (colour == backColor_) return;
    backColor_ = colour;
    Reformat();
}

CTextStyle OTextView::Style(bool withBack) const {
    CTextStyle style;
    style.textColor = &textColor_;
    style.backColor = withBack ? &backColor_ : nullptr;
    style.alignment = alignment_;
    style.direction = direction_;
    style.wordWrap = wordWrap_;
    return style;
}

void OTextView::FillColour(CDrawSurface* surface, const CClipRect& rect, uint32_t colour) {
    if (surface->GetBitsPerPixel() == 8)
        surface->FillRect8(rect, uint8_t(surface->EffectivePalette()->FindNearestColorWeighted(colour)));
    else
        surface->FillRect(rect, colour);
}

void OTextView::ClearBackground(CDrawSurface* surface) const {
    const CClipRect whole(0, 0, surface->GetWidth(), surface->GetHeight());
    if (!transparent_) FillColour(surface, whole, backColor_);
    else if (surface->GetBitsPerPixel() == 8) surface->FillRect8(whole, 0);
    else surface->FillRect(whole, 0);
}
