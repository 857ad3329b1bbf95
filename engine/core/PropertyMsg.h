#pragma once
#include <cstdint>
#include <cstddef>

/// One property of one object as stored in activity data: a 16-byte header of four 32-bit
/// words (value type code, family = class id of the class that handles it, property id,
/// payload size n) followed by n bytes of payload. Stored big-endian; xSwapPropertyMsg turns a
/// message into host order in place, after which the fields below are read directly.
struct OPropertyMsg {
    static constexpr uint32_t kHeaderSize = 16;

    uint32_t typeCode;
    uint32_t family;
    uint32_t id;
    uint32_t size;

    uint8_t* Payload() { return reinterpret_cast<uint8_t*>(this) + kHeaderSize; }
    const uint8_t* Payload() const { return reinterpret_cast<const uint8_t*>(this) + kHeaderSize; }

    /// Reads a host-order value at a payload offset; false (value untouched) when the payload
    /// is too short to hold it.
    template <class T>
    bool Get(uint32_t offset, T& value) const {
        if (size < sizeof(T) || offset > size - sizeof(T)) return false;
        ReadBytes(offset, &value, sizeof(T));
        return true;
    }
    /// Writes a host-order value at a payload offset; false when it does not fit.
    template <class T>
    bool Put(uint32_t offset, const T& value) {
        if (size < sizeof(T) || offset > size - sizeof(T)) return false;
        WriteBytes(offset, &value, sizeof(T));
        return true;
    }
    /// One field as a HandleProperty treats it: with `set` nonzero the payload value at the
    /// offset is stored in `value` (Get), else `value` is reported there (Put).
    template <class T>
    bool Exchange(uint32_t offset, T& value, int32_t set) {
        return set != 0 ? Get(offset, value) : Put(offset, value);
    }
    /// A text field of `bytes` bytes (with its terminator) as a HandleProperty treats it: with
    /// `set` nonzero the payload's text (cut to fit) is stored, the text "0" standing for an
    /// empty one; else the field's text is copied out, cut to the payload.
    void ExchangeText(char* field, size_t bytes, int32_t set);

private:
    // Out of line: the size check above is made on data the compiler cannot see.
    void ReadBytes(uint32_t offset, void* out, size_t n) const;
    void WriteBytes(uint32_t offset, const void* in, size_t n);
};
static_assert(sizeof(OPropertyMsg) == OPropertyMsg::kHeaderSize);

/// Turns a message from its stored big-endian form in place: always the four header words,
/// and, with `swapPayload`, the payload as its type code (read after the header swap) says.
/// The caller guarantees that 16 + size bytes are readable; a payload too short for a type's
/// values is left as it is.
void xSwapPropertyMsg(OPropertyMsg* msg, bool swapPayload);
