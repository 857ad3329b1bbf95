// Feeds arbitrary bytes as the property block of a view: the first four bytes are the byte
// count the reader is told (which may run past the data), the rest is the block. Every message
// is swapped by its value type and applied through the view's chain of property handlers.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/base/Trace.h"
#include "engine/core/View.h"
#include "engine/data/DrvMemory.h"
#include "engine/data/Profiles.h"
#include "engine/data/TempBuffers.h"
#include "platform/Platform.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

class FuzzView : public OView {
public:
    FuzzView() : OView("fuzz", kClassId) {}
    int32_t OnIdle() override { return 1; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto scope = vqt::fuzz::StartInput();
    if (size < 4) return 0;
    uint32_t count = 0;
    std::memcpy(&count, data, 4);
    FuzzView parent;
    parent.SetSize(CPoint16(640, 480), 0);
    auto* view = new FuzzView;
    parent.AddChild(view);
    ODrvMemory stream;
    stream.AdoptMemory(const_cast<uint8_t*>(data + 4), size - 4, size - 4); // read only
    view->LoadProperties(&stream, count);
    view->SetPosition(CPointF(3, 4), 1, 1); // whatever the wrap and size flags came to be
    if (xTempBuffers_GetNumInUse() != 0) __builtin_trap();
    return 0;
}
