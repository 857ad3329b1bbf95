#pragma once
// The growable array of fixed-size elements. Its storage comes from the pools and stays within
// one growth chunk of what the elements need: it grows and shrinks by whole chunks.
#include <cstdint>
#include <cstring>
#include <type_traits>

/// Fits a storage block to `count` elements of `elementSize` bytes: the block is kept while its
/// capacity lies between count x size and (count x size / (chunk x size) + 1) x chunk x size
/// bytes, else it is resized (or allocated from the thread's default pool) to exactly the
/// upper bound. 0 when the memory cannot be had; the old block is then unchanged.
int DynArray_Reserve(void** data, int32_t* capacity, int32_t count, int32_t elementSize, int32_t chunk);
/// Frees a storage block (null is ignored).
void DynArray_Free(void* data);

template <class T>
class CDynArray {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved as bytes");

public:
    CDynArray() = default;
    CDynArray(const CDynArray&) = delete;
    CDynArray& operator=(const CDynArray&) = delete;
    virtual ~CDynArray() { Free(); }

    /// Fits the storage to n elements; 1, or 0 when the memory cannot be had.
    int Reserve(int32_t n) {
        void* data = data_;
        const int ok = DynArray_Reserve(&data, &capacity_, n, static_cast<int32_t>(sizeof(T)), chunk_);
        data_ = static_cast<T*>(data);
        return ok;
    }

    /// Adds the value at the end; when the storage cannot grow the value is dropped (0).
    int Append(const T& value) {
        if (!Reserve(count_ + 1)) {
            return 0;
        }
        std::memcpy(static_cast<void*>(data_ + count_), &value, sizeof(T));
        ++count_;
        return 1;
    }

    /// Removes element i (0 <= i < count), moving the later ones down; the storage may shrink.
    void RemoveAt(int32_t i) {
        if (i < 0 || i >= count_) {
            return;
        }
        std::memmove(static_cast<void*>(data_ + i), data_ + i + 1, sizeof(T) * static_cast<size_t>(count_ - i - 1));
        --count_;
        Reserve(count_); // a failed shrink keeps the larger block
    }

    /// Takes the last element (the array must not be empty); the storage may shrink.
    T PopBack() {
        T value;
        std::memcpy(static_cast<void*>(&value), data_ + count_ - 1, sizeof(T));
        --count_;
        Reserve(count_);
        return value;
    }

    /// Element i; unchecked, as callers keep 0 <= i < count.
    T GetAt(int32_t i) const { return data_[i]; }
    T* ElementPtr(int32_t i) { return data_ + i; }
    const T* ElementPtr(int32_t i) const { return data_ + i; }

    /// Frees the storage and returns to the state of a new array.
    void Free() {
        DynArray_Free(data_);
        data_ = nullptr;
        capacity_ = 0;
        count_ = 0;
        chunk_ = 64;
    }

    T* Data() { return data_; }
    const T* Data() const { return data_; }
    int32_t Capacity() const { return capacity_; } ///< bytes held
    int32_t Count() const { return count_; }
    int32_t Chunk() const { return chunk_; }
    /// The growth chunk in elements; never 0.
    void SetChunk(int32_t chunk) { chunk_ = chunk > 0 ? chunk : 1; }

private:
    T* data_ = nullptr;
    int32_t capacity_ = 0;
    int32_t count_ = 0;
    int32_t chunk_ = 64;
};
