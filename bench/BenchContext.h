#pragma once
// A benchmark runs on headless services and an engine context of its own.
#include <memory>

#include "engine/app/EngineContext.h"
#include "platform/Platform.h"

namespace vqt::bench {

/// Fresh headless services and a fresh engine context (the previous one ends first).
inline void FreshEngineContext() {
    static std::unique_ptr<CEngineContext> context;
    context.reset();
    plat::UseHeadless();
    context = std::make_unique<CEngineContext>();
}

} // namespace vqt::bench
