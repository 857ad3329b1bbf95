#pragma once
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace vqt::test {

/// An in-memory file system that counts what the engine asks of it and fails on request:
/// `failOpens` / `failReads` make that many of the next opens or reads fail.
class FakeFiles final : public plat::Files {
public:
    struct Counts {
        int opens = 0;       ///< successful opens
        int failedOpens = 0;
        int reads = 0;       ///< every Read call on a file, failed ones included
        int failedReads = 0;
        int writes = 0;
        int openHandles = 0; ///< files open right now
    };

    /// Installs a fresh fake as the platform's file service and answers it.
    static FakeFiles& Install() {
        auto fake = std::make_unique<FakeFiles>();
        FakeFiles& ref = *fake;
        plat::services().files = std::move(fake);
        return ref;
    }

    void Put(const std::string& name, std::string bytes) {
        contents[name] = std::make_shared<std::string>(std::move(bytes));
    }
    std::string Get(const std::string& name) const {
        const auto it = contents.find(name);
        return it == contents.end() ? std::string() : *it->second;
    }

    std::map<std::string, std::shared_ptr<std::string>> contents;
    std::set<std::string> undeletable;
    std::vector<std::string> roots;
    Counts counts;
    int failOpens = 0;
    int failReads = 0;

    /// Every file open now fails each read from here on (a disc taken out and put back: the old
    /// handles stay dead, new opens work).
    void KillOpenFiles() { killedBelow_ = nextSerial_; }

    std::unique_ptr<plat::File> Open(const std::string& name, plat::OpenMode mode) override {
        if (failOpens > 0) {
            --failOpens;
            ++counts.failedOpens;
            return nullptr;
        }
        auto it = contents.find(name);
        if (it == contents.end()) {
            if (mode == plat::OpenMode::Read || mode == plat::OpenMode::ReadWrite) {
                ++counts.failedOpens;
                return nullptr;
            }
            it = contents.emplace(name, std::make_shared<std::string>()).first;
        } else if (mode == plat::OpenMode::CreateAlways) {
            it->second->clear();
        }
        ++counts.opens;
        ++counts.openHandles;
        return std::make_unique<FakeFile>(*this, it->second, mode != plat::OpenMode::Read, nextSerial_++);
    }
    std::optional<std::string> Resolve(const std::string& name) override {
        return contents.count(name) != 0 ? std::optional<std::string>(name) : std::nullopt;
    }
    bool Exists(const std::string& name) override { return contents.count(name) != 0; }
    bool IsDirectory(const std::string&) override { return false; }
    bool Remove(const std::string& name) override {
        return undeletable.count(name) == 0 && contents.erase(name) != 0;
    }
    std::vector<std::string> List(const std::string&) override { return {}; }
    std::string WindowsFolder() override { return "windows"; }
    std::vector<std::string> CdromRoots() override { return roots; }

private:
    int nextSerial_ = 0;
    int killedBelow_ = 0;

    class FakeFile final : public plat::File {
    public:
        FakeFile(FakeFiles& owner, std::shared_ptr<std::string> data, bool writable, int serial)
            : owner_(owner), data_(std::move(data)), writable_(writable), serial_(serial) {}
        ~FakeFile() override { --owner_.counts.openHandles; }

        int64_t Read(void* buffer, size_t count) override {
            ++owner_.counts.reads;
            if (serial_ < owner_.killedBelow_) {
                ++owner_.counts.failedReads;
                return -1;
            }
            if (owner_.failReads > 0) {
                --owner_.failReads;
                ++owner_.counts.failedReads;
                return -1;
            }
            const size_t size = data_->size();
            const size_t take = position_ >= size ? 0 : std::min(count, size - position_);
            std::memcpy(buffer, data_->data() + position_, take);
            position_ += take;
            return static_cast<int64_t>(take);
        }
        int64_t Write(const void* bytes, size_t count) override {
            ++owner_.counts.writes;
            if (!writable_) {
                return -1;
            }
            if (data_->size() < position_ + count) {
                data_->resize(position_ + count, '\0');
            }
            std::memcpy(data_->data() + position_, bytes, count);
            position_ += count;
            return static_cast<int64_t>(count);
        }
        int64_t Seek(int64_t offset, plat::SeekOrigin origin) override {
            const int64_t base = origin == plat::SeekOrigin::Begin ? 0
                               : origin == plat::SeekOrigin::Current ? static_cast<int64_t>(position_)
                                                                     : static_cast<int64_t>(data_->size());
            if (base + offset < 0) {
                return -1;
            }
            position_ = static_cast<size_t>(base + offset);
            return base + offset;
        }
        int64_t Size() override { return static_cast<int64_t>(data_->size()); }
        bool SetEnd(int64_t size) override {
            if (!writable_ || size < 0) {
                return false;
            }
            data_->resize(static_cast<size_t>(size), '\0');
            position_ = static_cast<size_t>(size);
            return true;
        }

    private:
        FakeFiles& owner_;
        std::shared_ptr<std::string> data_;
        bool writable_;
        int serial_;
        size_t position_ = 0;
    };
};

/// Bytes 0, 1, 2 ... (mod 251) - a pattern in which every offset below 251 is told apart.
inline std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

} // namespace vqt::test
