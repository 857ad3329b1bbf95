#pragma once
#include <cstddef>
#include <cstdint>

/// Pixel blocks and tables of the graphics layer come from the engine's memory pools; a null
/// pool means the calling thread's pool. These are the few calls the layer makes.
/// A zero-filled block.
void* xGfx_Alloc(void* pool, size_t size);
void* xGfx_Resize(void* pool, void* block, size_t size);
void xGfx_Free(void* block);

/// Temporary work buffers borrowed for one call (the engine's temporary-buffer table).
void* xGfx_TempGet(size_t size);
void xGfx_TempRelease(void* buffer);

/// A temporary buffer of count elements of T, returned when the holder ends; none for 0.
template <typename T>
class CTempArray {
public:
    explicit CTempArray(size_t count)
        : m_data(count ? static_cast<T*>(xGfx_TempGet(count * sizeof(T))) : nullptr) {}
    ~CTempArray() {
        if (m_data) xGfx_TempRelease(m_data);
    }
    CTempArray(const CTempArray&) = delete;
    CTempArray& operator=(const CTempArray&) = delete;
    T* Get() const { return m_data; }

private:
    T* m_data;
};
