// Characters, caret keys and compositions into an input-method view in code page 932, then the
// name filter over the result with a word list taken from the input. The text never passes 32
// bytes, never ends in a lone lead byte, and the caret stays within it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/data/MessageTexts.h"
#include "engine/data/Strings.h"
#include "engine/media/InputMethod.h"
#include "engine/media/NameFilter.h"
#include "engine/media/TextIMEView.h"
#include "platform/headless/HeadlessLocale.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void Check(const OTextIMEView& view) {
    const std::string text = view.GetTextPtr();
    if (text.size() > 32) __builtin_trap();
    size_t at = 0;
    while (at < text.size()) at += xStr_IsLeadByte(text[at]) ? 2 : 1;
    if (at != text.size()) __builtin_trap(); // a lead byte without its trail byte
    if (view.Caret().index < 0 || view.Caret().index > xStr_CharCount(text.c_str())) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    auto& locale = static_cast<plat::HeadlessLocale&>(plat::locale());
    locale.SetLangId(0x0411);
    locale.SetDoubleByteCodePage(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
    locale.SetIme(true);
    xLanguage_Init();
    OTextIMEView view;
    xIME_SetCurrentView(&view);
    size_t i = 0;
    while (i + 1 < size && data[i] != 0xFF) {
        const uint8_t op = data[i++];
        const uint8_t arg = data[i++];
        switch (op % 4) {
        case 0: view.OnChar(arg); break;
        case 1: view.OnKeyDown(arg % 48); break;
        case 2:
        case 3: {
            const size_t n = std::min<size_t>(arg % 40, size - i);
            std::string text(reinterpret_cast<const char*>(data + i), n);
            i += n;
            text = text.c_str(); // the composition is text up to its first NUL
            plat::InputMethod& ime = plat::inputMethod();
            for (const plat::WinMsg& m : op % 4 == 2 ? ime.Compose(1, text) : ime.Commit(1, text))
                xIME_HandleMessage(m.window, m.msg, m.wParam, m.lParam);
            break;
        }
        }
        Check(view);
    }
    if (i < size) ++i;
    CNameFilterState::Get().looked = true;
    xText_SetBlockedWords(data + i, size - i);
    xText_ContainsBlockedWord(view.GetTextPtr());
    xIME_SetCurrentView(nullptr);
    return 0;
}
