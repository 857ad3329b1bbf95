// Error reporting of the memory manager: the one installable handler, the per-thread nesting
// rules, and the default handler's "Brimalloc Library" box.
#include <cstdlib>

#include "engine/data/MemoryInternal.h"
#include "platform/Platform.h"

using namespace memi;

namespace {

constexpr const char* kBoxTitle = "Brimalloc Library";
constexpr const char* kOutOfMemoryText = "Out of memory.  Please free some memory, then choose retry.";
constexpr const char* kTooManyThreadsText = "\r\nMemory errors in too many threads concurrently.\n\r";
constexpr const char* kReenteredText = "\r\nBrimalloc error handler recursively re-entered.\n\r";

constexpr const char* kCodeNames[] = {
    "MEM_INTERNAL_ERROR",   "MEM_INTERNAL_ERROR",   "MEM_INTERNAL_ERROR", "MEM_BLOCK_TOO_BIG",
    "MEM_ALLOC_ZERO",       "MEM_RESIZE_FAILED",    "MEM_LOCK_ERROR",     "MEM_EXCEEDED_CEILING",
    "MEM_TOO_MANY_PAGES",   "MEM_TOO_MANY_TASKS",   "MEM_BAD_MEM_POOL",   "MEM_BAD_BLOCK",
    "MEM_BAD_FREE_BLOCK",   "MEM_BAD_HANDLE",       "MEM_BAD_POINTER",
};

/// The error box: a beep, then the box (retried once system-modal when it cannot be shown).
/// Abort or Cancel ends the program; Retry answers 1; OK or Ignore answers 0.
int ErrorBox(const char* text, bool offerRetry) {
    plat::dialogs().Beep();
    uint32_t type = plat::mb::TaskModal | plat::mb::IconStop | plat::mb::DefaultButton2 |
                    (offerRetry ? plat::mb::AbortRetryIgnore : plat::mb::OkCancel);
    int answer = plat::dialogs().MessageBox(text, kBoxTitle, type);
    if (answer == 0) {
        type = (type & ~plat::mb::TaskModal) | plat::mb::SystemModal;
        answer = plat::dialogs().MessageBox(text, kBoxTitle, type);
        if (answer == 0) {
            return 0;
        }
    }
    if (answer == plat::mb::IdAbort || answer == plat::mb::IdCancel) {
        std::abort();
    }
    return answer == plat::mb::IdRetry ? 1 : 0;
}

/// Whether the report at this nesting depth may call the handler: one error at a time, and one
/// more inside it when that one is out of memory.
bool HandlerAllowed(int depth, int code) { return depth == 1 || (depth == 2 && code == MEM_OUT_OF_MEMORY); }

} // namespace

int PoolDefaultErrorHandler(MemErrorRecord* record) {
    const int code = record != nullptr ? record->code : MEM_INTERNAL_ERROR;
    if (code == MEM_OUT_OF_MEMORY) {
        return ErrorBox(kOutOfMemoryText, true);
    }
    const bool named = code >= MEM_BLOCK_TOO_BIG && code <= MEM_BAD_POINTER;
    return ErrorBox(named ? kCodeNames[code] : kCodeNames[MEM_INTERNAL_ERROR], false);
}

MemErrorHandler PoolSetErrorHandler(MemErrorHandler handler) {
    MemManager& manager = Manager();
    std::lock_guard<std::mutex> hold(manager.global);
    const MemErrorHandler previous = manager.handler;
    manager.handler = handler;
    return previous;
}

int PoolAddClient() {
    MemManager& manager = Manager();
    std::lock_guard<std::mutex> hold(manager.global);
    return ++manager.clients;
}

int PoolReportError(const void* object, int code) {
    MemManager& manager = Manager();
    const uint32_t self = ThreadId();
    MemErrorHandler handler = nullptr;
    ErrorRecord* record = nullptr;
    int depth = 0;
    bool outerLevelRan = false;
    {
        std::lock_guard<std::mutex> hold(manager.global);
        handler = manager.handler;
        if (handler == nullptr) {
            return 0;
        }
        ErrorRecord* vacant = nullptr;
        for (ErrorRecord& candidate : manager.errors) {
            if (candidate.thread == self) {
                record = &candidate;
                break;
            }
            if (candidate.thread == 0 && vacant == nullptr) {
                vacant = &candidate;
            }
        }
        if (record == nullptr) {
            record = vacant;
            if (record != nullptr) {
                record->thread = self;
            }
        }
        if (record != nullptr) {
            depth = ++record->depth;
            if (depth <= 3) {
                record->codes[depth - 1] = code;
            }
            outerLevelRan = depth == 2 || (depth == 3 && record->codes[1] == MEM_OUT_OF_MEMORY);
        }
    }
    if (record == nullptr) {
        ErrorBox(kTooManyThreadsText, false);
        return 0;
    }
    int answer = 0;
    if (HandlerAllowed(depth, code)) {
        MemErrorRecord error{code, object};
        answer = handler(&error);
    } else if (outerLevelRan) {
        ErrorBox(kReenteredText, false); // only the first level that is skipped says so
    }
    {
        std::lock_guard<std::mutex> hold(manager.global);
        if (--record->depth == 0) {
            *record = ErrorRecord{};
        }
    }
    return answer != 0 ? 1 : 0;
}
