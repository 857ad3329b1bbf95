#include "engine/graphics/GraphicsMemory.h"

#include <cstdlib>

void* xGfx_Alloc(void*, size_t size) { return std::calloc(1, size ? size : 1); }
void* xGfx_Resize(void*, void* block, size_t size) { return std::realloc(block, size ? size : 1); }
void xGfx_Free(void* block) { std::free(block); }

void* xGfx_TempGet(size_t size) { return std::malloc(size ? size : 1); }
void xGfx_TempRelease(void* buffer) { std::free(buffer); }
