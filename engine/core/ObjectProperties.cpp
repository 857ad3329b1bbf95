#include "engine/core/Object.h"

#include <algorithm>

#include "engine/base/Trace.h"
#include "engine/data/Driver.h"
#include "engine/data/TempBuffers.h"

namespace {

constexpr uint32_t kFirstBufferSize = 256;

} // namespace

int32_t OObject::LoadProperties(ODriver* stream, uint32_t byteCount) {
    void* message = xTempBuffers_Get(kFirstBufferSize);
    uint32_t messageSize = kFirstBufferSize;
    const intptr_t start = stream ? stream->Control(DRV_POSITION) : -1;
    const intptr_t streamSize = stream ? stream->Control(DRV_SIZE) : -1;
    uint32_t consumed = 0;
    bool stopped = false;

    if (!stream || !message) {
        xTracef("LoadProperties - no stream or buffers for %s\n", GetName());
        stopped = byteCount > 0;
        consumed = byteCount;
    }
    while (consumed < byteCount) {
        stopped = true;
        const intptr_t position = stream->Control(DRV_POSITION);
        // The bytes this message may use: those given, and no more than the stream still holds.
        uint64_t available = byteCount - consumed;
        if (position >= 0 && streamSize >= position)
            available = std::min<uint64_t>(available, uint64_t(streamSize - position));
        // The header is read once: its stored bytes start the message, a swapped copy tells the
        // payload size.
        OPropertyMsg stored;
        if (position < 0 || available < OPropertyMsg::kHeaderSize ||
            !stream->ReadExactly(&stored, OPropertyMsg::kHeaderSize)) {
            xTracef("LoadProperties - property header of %s cannot be read\n", GetName());
            break;
        }
        OPropertyMsg head = stored;
        xSwapPropertyMsg(&head, false);
        // Compared without adding, so that sizes near 4 GB cannot wrap past the check.
        const uint32_t payload = head.size;
        if (payload > available - OPropertyMsg::kHeaderSize) {
            xTracef("LoadProperties - property of %u bytes runs past the data of %s\n", unsigned(payload),
                    GetName());
            break;
        }
        const uint32_t total = OPropertyMsg::kHeaderSize + payload;
        if (messageSize < total) {
            xTempBuffers_Release(&message);
            message = xTempBuffers_Get(total);
            messageSize = total;
            if (!message) {
                xTracef("LoadProperties - no buffer for a property of %u bytes\n", unsigned(total));
                break;
            }
        }
        auto* msg = static_cast<OPropertyMsg*>(message);
        *msg = stored;
        if (payload > 0 && !stream->ReadExactly(msg->Payload(), payload)) {
            xTracef("LoadProperties - property of %s cannot be read\n", GetName());
            break;
        }
        xSwapPropertyMsg(msg, true);
        consumed += total;
        stopped = false;
        HandleProperty(msg, 1);
    }
    // After a stop the reader carries on behind these bytes, where the next record starts.
    if (stopped && start >= 0) stream->Control(DRV_SEEK, 0, start + intptr_t(byteCount));

    xTempBuffers_Release(&message);
    OnPropertiesLoaded();
    return 1;
}
