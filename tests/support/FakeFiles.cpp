#include "tests/support/FakeFiles.h"

#include <algorithm>
#include <cstring>

namespace vqt::test {

class FakeFiles::FakeFile final : public plat::File {
public:
    FakeFile(FakeFiles& owner, std::shared_ptr<Node> node, bool writable, int serial)
        : owner_(owner), node_(std::move(node)), writable_(writable), serial_(serial) {}
    ~FakeFile() override { --owner_.counts.openHandles; }
    FakeFile(const FakeFile&) = delete;
    FakeFile& operator=(const FakeFile&) = delete;

    int64_t Read(void* buffer, size_t count) override {
        ++owner_.counts.reads;
        if (serial_ < owner_.killedBelow_ || owner_.cut_) {
            ++owner_.counts.failedReads;
            return -1;
        }
        if (owner_.failReads > 0) {
            --owner_.failReads;
            ++owner_.counts.failedReads;
            return -1;
        }
        const std::string& data = node_->data;
        const size_t take = position_ >= data.size() ? 0 : std::min(count, data.size() - position_);
        std::memcpy(buffer, data.data() + position_, take);
        position_ += take;
        return static_cast<int64_t>(take);
    }
    int64_t Write(const void* bytes, size_t count) override {
        ++owner_.counts.writes;
        if (!writable_ || serial_ < owner_.killedBelow_) {
            return -1;
        }
        const Outcome outcome = owner_.Change();
        if (outcome == Outcome::Dead) {
            return -1;
        }
        bool fails = false;
        const size_t landed = owner_.Landing(count, outcome, fails);
        std::string& data = node_->data;
        if (data.size() < position_ + landed) {
            data.resize(position_ + landed, '\0');
        }
        std::memcpy(data.data() + position_, bytes, landed);
        position_ += landed;
        owner_.counts.bytesWritten += static_cast<int64_t>(landed);
        return fails ? -1 : static_cast<int64_t>(landed);
    }
    int64_t Seek(int64_t offset, plat::SeekOrigin origin) override {
        const int64_t base = origin == plat::SeekOrigin::Begin     ? 0
                             : origin == plat::SeekOrigin::Current ? static_cast<int64_t>(position_)
                                                                   : static_cast<int64_t>(node_->data.size());
        if (base + offset < 0) {
            return -1;
        }
        position_ = static_cast<size_t>(base + offset);
        return base + offset;
    }
    int64_t Size() override { return static_cast<int64_t>(node_->data.size()); }
    bool SetEnd(int64_t size) override {
        if (!writable_ || size < 0 || owner_.Change() != Outcome::Happens) {
            return false;
        }
        node_->data.resize(static_cast<size_t>(size), '\0');
        position_ = static_cast<size_t>(size);
        return true;
    }
    bool Sync() override {
        if (!writable_ || serial_ < owner_.killedBelow_ || owner_.Change() != Outcome::Happens) {
            return false;
        }
        node_->synced = node_->data;
        return true;
    }

private:
    FakeFiles& owner_;
    std::shared_ptr<Node> node_;
    bool writable_;
    int serial_;
    size_t position_ = 0;
};

FakeFiles& FakeFiles::Install() {
    auto fake = std::make_unique<FakeFiles>();
    FakeFiles& ref = *fake;
    plat::services().files = std::move(fake);
    return ref;
}

void FakeFiles::Put(const std::string& name, std::string bytes) {
    auto node = std::make_shared<Node>();
    node->data = std::move(bytes);
    node->synced = node->data;
    names_[name] = node;
    syncedNames_[name] = node;
}

std::string FakeFiles::Get(const std::string& name) const {
    const auto it = names_.find(name);
    return it == names_.end() ? std::string() : it->second->data;
}

std::vector<std::string> FakeFiles::Names() const {
    std::vector<std::string> out;
    for (const auto& [name, node] : names_) out.push_back(name);
    return out;
}

void FakeFiles::Restart() {
    names_ = syncedNames_;
    for (auto& [name, node] : names_) node->data = node->synced;
    faults = Faults{};
    cut_ = false;
    KillOpenFiles();
}

FakeFiles::Outcome FakeFiles::Change() {
    const int n = ++counts.changes;
    if (cut_ || n == faults.cutAtChange) {
        cut_ = true;
        return Outcome::Dead;
    }
    return n == faults.failChange ? Outcome::Fails : Outcome::Happens;
}

size_t FakeFiles::Landing(size_t count, Outcome outcome, bool& fails) {
    size_t landed = count;
    if (outcome == Outcome::Fails) {
        landed = count / 2;
        fails = true;
    }
    if (faults.cutAtByte >= 0 && counts.bytesWritten + static_cast<int64_t>(landed) > faults.cutAtByte) {
        landed = static_cast<size_t>(std::max<int64_t>(0, faults.cutAtByte - counts.bytesWritten));
        cut_ = true;
        fails = true;
    }
    return landed;
}

std::unique_ptr<plat::File> FakeFiles::Open(const std::string& name, plat::OpenMode mode) {
    const bool forWriting = mode != plat::OpenMode::Read;
    const auto refuse = [this] {
        ++counts.failedOpens;
        return nullptr;
    };
    if (failOpens > 0) {
        --failOpens;
        return refuse();
    }
    if (cut_ || (forWriting && (Change() != Outcome::Happens || readOnly.count(name) != 0))) {
        return refuse();
    }
    auto it = names_.find(name);
    if (it == names_.end()) {
        if (!forWriting || mode == plat::OpenMode::ReadWrite || faults.readOnlyFolder) {
            return refuse();
        }
        it = names_.emplace(name, std::make_shared<Node>()).first;
    } else if (mode == plat::OpenMode::CreateAlways) {
        it->second->data.clear();
    }
    ++counts.opens;
    ++counts.openHandles;
    return std::make_unique<FakeFile>(*this, it->second, forWriting, nextSerial_++);
}

std::optional<std::string> FakeFiles::Resolve(const std::string& name) {
    return names_.count(name) != 0 ? std::optional<std::string>(name) : std::nullopt;
}

bool FakeFiles::Remove(const std::string& name) {
    if (Change() != Outcome::Happens || faults.readOnlyFolder || undeletable.count(name) != 0) {
        return false;
    }
    return names_.erase(name) != 0;
}

bool FakeFiles::Rename(const std::string& from, const std::string& to) {
    if (Change() != Outcome::Happens || faults.readOnlyFolder) {
        return false;
    }
    const auto it = names_.find(from);
    if (it == names_.end()) {
        return false;
    }
    const std::shared_ptr<Node> node = it->second;
    names_.erase(it);
    names_[to] = node;
    return true;
}

bool FakeFiles::SyncFolder(const std::string&) {
    if (Change() != Outcome::Happens) {
        return false;
    }
    syncedNames_ = names_;
    return true;
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 251);
    }
    return bytes;
}

} // namespace vqt::test
