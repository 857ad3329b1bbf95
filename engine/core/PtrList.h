#pragma once
#include <cstdint>

/// The engine's list of object pointers (child lists, attached views, the deferred-deletion
/// list, ...). Storage grows and shrinks in blocks of 64 entries: for n entries the capacity is
/// (n div 64 + 1) x 64, reallocated only when an append would not fit or a removal leaves the
/// storage larger than that. Entries keep their order.
class CPtrListBase {
public:
    static constexpr int32_t kBlock = 64;

    CPtrListBase() = default;
    CPtrListBase(const CPtrListBase&) = delete;
    CPtrListBase& operator=(const CPtrListBase&) = delete;
    ~CPtrListBase();

    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    bool IsEmpty() const { return count_ == 0; }

    /// Makes sure one more entry fits; false (nothing changed) when the storage cannot grow.
    bool ReserveOneMore();
    /// Frees the storage; the list is empty afterwards.
    void FreeStorage();

    /// Fails the next `n` storage allocations of every list (0 ends it); for tests of the
    /// failure paths.
    static void FailAllocationsForTest(int32_t n);

protected:
    bool AppendRaw(void* p);
    void* RemoveAtRaw(int32_t index);
    int32_t IndexOfRaw(const void* p) const;
    int32_t LastIndexOfRaw(const void* p) const;
    void* AtRaw(int32_t index) const { return entries_[index]; }
    void** DataRaw() const { return entries_; }

private:
    static int32_t RoundedCapacity(int32_t n) { return (n / kBlock + 1) * kBlock; }
    bool Resize(int32_t capacity);

    void** entries_ = nullptr;
    int32_t capacity_ = 0;
    int32_t count_ = 0;
};

/// Typed face of the pointer list; it never owns what it points to.
template <class T>
class CPtrList : public CPtrListBase {
public:
    /// Appends; false when the storage cannot grow (the entry is then not appended).
    bool Append(T* p) { return AppendRaw(p); }
    T* At(int32_t index) const { return static_cast<T*>(AtRaw(index)); }
    T* Last() const { return Count() > 0 ? At(Count() - 1) : nullptr; }
    /// Takes out the entry at `index`, moving the later ones down.
    T* RemoveAt(int32_t index) { return static_cast<T*>(RemoveAtRaw(index)); }
    T* RemoveLast() { return Count() > 0 ? RemoveAt(Count() - 1) : nullptr; }
    /// Takes out the first entry equal to `p`; false when there is none.
    bool Remove(const T* p) {
        const int32_t i = IndexOfRaw(p);
        if (i < 0) return false;
        RemoveAtRaw(i);
        return true;
    }
    /// Takes out the last entry equal to `p` (the cheaper search for recently added ones).
    bool RemoveLastMatch(const T* p) {
        const int32_t i = LastIndexOfRaw(p);
        if (i < 0) return false;
        RemoveAtRaw(i);
        return true;
    }
    int32_t IndexOf(const T* p) const { return IndexOfRaw(p); }
    bool Contains(const T* p) const { return IndexOfRaw(p) >= 0; }
    T** Data() const { return reinterpret_cast<T**>(DataRaw()); }
};
