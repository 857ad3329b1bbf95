#pragma once
// The decoders of coded image data (the engine's compressed images, GIF's LZW data, PCX lines)
// share one reader base, and read their driver through a buffer when they take a byte at a time.
#include <cstdint>

class ODriver;

/// The base of the image decoders.
class CImageStream {
public:
    virtual ~CImageStream() = default;
    /// Begins, or begins again, to decode.
    virtual int32_t Start() = 0;
    /// Decodes up to n bytes into dest.
    virtual int32_t Read(uint8_t* dest, int32_t n) = 0;
    /// 0 while healthy, else an error code of the decoder.
    virtual int32_t GetStatus() = 0;
    /// Ends decoding; answers the status.
    virtual int32_t Finish() = 0;
};

/// A driver read through a buffer. The driver runs ahead of what was taken; `Sync` seeks it
/// back to the first byte not taken (the destructor does too), so that whoever reads the driver
/// next finds it where the decoder stopped.
class CImageInput {
public:
    explicit CImageInput(ODriver* driver) : m_driver(driver) {}
    ~CImageInput() { Sync(); }
    CImageInput(const CImageInput&) = delete;
    CImageInput& operator=(const CImageInput&) = delete;

    /// The next byte; false at the end of the data.
    bool Byte(uint8_t& out) {
        if (m_next == m_end && !Refill()) return false;
        out = m_buffer[m_next++];
        return true;
    }
    /// The next n bytes; false (some taken) when the data ends first.
    bool Bytes(uint8_t* dest, uint32_t n);
    /// True once a read of the driver failed (as opposed to reaching the end of the data).
    bool Failed() const { return m_failed; }
    void Sync();

private:
    static constexpr uint32_t kSize = 4096;
    bool Refill();

    ODriver* m_driver;
    uint32_t m_next = 0;
    uint32_t m_end = 0;
    bool m_failed = false;
    uint8_t m_buffer[kSize];
};
