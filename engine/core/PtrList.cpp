#include "engine/core/CoreState.h"
#include "engine/core/PtrList.h"

#include <cstring>
#include <new>

CPtrListBase::~CPtrListBase() { FreeStorage(); }

void CPtrListBase::FailAllocationsForTest(int32_t n) { xCore_State().failingListAllocations = n; }

bool CPtrListBase::Resize(int32_t capacity) {
    int32_t& failing = xCore_State().failingListAllocations;
    if (failing > 0) {
        --failing;
        return false;
    }
    void* block = ::operator new(size_t(capacity) * sizeof(void*), std::nothrow);
    if (!block) return false;
    auto** entries = static_cast<void**>(block);
    if (count_ > 0) std::memcpy(entries, entries_, size_t(count_) * sizeof(void*));
    ::operator delete(entries_);
    entries_ = entries;
    capacity_ = capacity;
    return true;
}

bool CPtrListBase::ReserveOneMore() {
    if (count_ + 1 <= capacity_) return true;
    return Resize(RoundedCapacity(count_ + 1));
}

void CPtrListBase::FreeStorage() {
    ::operator delete(entries_);
    entries_ = nullptr;
    capacity_ = 0;
    count_ = 0;
}

bool CPtrListBase::AppendRaw(void* p) {
    if (!ReserveOneMore()) return false;
    entries_[count_++] = p;
    return true;
}

void* CPtrListBase::RemoveAtRaw(int32_t index) {
    if (index < 0 || index >= count_) return nullptr;
    void* p = entries_[index];
    std::memmove(entries_ + index, entries_ + index + 1, size_t(count_ - index - 1) * sizeof(void*));
    --count_;
    // A failed shrink keeps the larger storage, which still holds every entry.
    if (capacity_ > RoundedCapacity(count_)) Resize(RoundedCapacity(count_));
    return p;
}

int32_t CPtrListBase::IndexOfRaw(const void* p) const {
    for (int32_t i = 0; i < count_; ++i)
        if (entries_[i] == p) return i;
    return -1;
}

int32_t CPtrListBase::LastIndexOfRaw(const void* p) const {
    for (int32_t i = count_ - 1; i >= 0; --i)
        if (entries_[i] == p) return i;
    return -1;
}
