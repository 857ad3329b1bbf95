#include "platform/Movie.h"

#include "platform/Files.h"

namespace plat {

namespace {

class FileMovieSource final : public MovieSource {
public:
    explicit FileMovieSource(std::unique_ptr<File> file) : file_(std::move(file)), size_(file_->Size()) {}

    int64_t Read(void* buffer, size_t count) override {
        const int64_t got = file_->Read(buffer, count);
        if (got > 0) position_ += got;
        return got;
    }
    bool Seek(int64_t position) override {
        if (position < 0 || position > size_ || file_->Seek(position, SeekOrigin::Begin) != position) return false;
        position_ = position;
        return true;
    }
    int64_t Position() const override { return position_; }
    int64_t Size() const override { return size_; }

private:
    std::unique_ptr<File> file_;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

} // namespace

std::unique_ptr<MovieSource> MovieSourceOfFile(std::unique_ptr<File> file) {
    if (!file || file->Size() < 0 || file->Seek(0, SeekOrigin::Begin) != 0) return nullptr;
    return std::make_unique<FileMovieSource>(std::move(file));
}

} // namespace plat
