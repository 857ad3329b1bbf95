#include "engine/graphics/ImageStream.h"

#include <algorithm>
#include <cstring>

#include "engine/data/Driver.h"

bool CImageInput::Refill() {
    m_next = m_end = 0;
    if (!m_driver || m_failed) return false;
    uint32_t got = 0;
    if (m_driver->Read(m_buffer, kSize, &got) != DRV_OK) {
        m_failed = true;
        return false;
    }
    m_end = std::min(got, kSize);
    return m_end > 0;
}

bool CImageInput::Bytes(uint8_t* dest, uint32_t n) {
    while (n > 0) {
        if (m_next == m_end) {
            // Long stretches go straight from the driver into the destination.
            if (n >= kSize && m_driver && !m_failed) {
                uint32_t got = 0;
                if (m_driver->Read(dest, n, &got) != DRV_OK) m_failed = true;
                return !m_failed && got == n;
            }
            if (!Refill()) return false;
        }
        const uint32_t take = std::min(n, m_end - m_next);
        std::memcpy(dest, m_buffer + m_next, take);
        m_next += take;
        dest += take;
        n -= take;
    }
    return true;
}

void CImageInput::Sync() {
    if (m_driver && m_end > m_next) m_driver->Control(DRV_SEEK, 1, -intptr_t(m_end - m_next));
    m_next = m_end = 0;
}
