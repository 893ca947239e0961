#include "gfx/file_reader.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace gfx {
namespace {

// Only a regular file is read: opening a pipe would wait for a writer, and a
// device or folder never ends or is no picture.
std::FILE* openRegularFile(const char* path) {
#if defined(_WIN32)
    return std::fopen(path, "rb");
#else
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    std::FILE* file = nullptr;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) file = ::fdopen(fd, "rb");
    if (file == nullptr) ::close(fd);
    return file;
#endif
}

}  // namespace

FileReader::FileReader(const char* path) : file_(openRegularFile(path)) {
    if (!file_) return;
    if (std::fseek(file_.get(), 0, SEEK_END) == 0) {
        const long end = std::ftell(file_.get());
        if (end > 0) size_ = static_cast<std::uint64_t>(end);
    }
    std::rewind(file_.get());
}

FileReader::FileReader(std::span<const std::uint8_t> bytes)
    : memory_(bytes.data()), inMemory_(true), size_(bytes.size()) {}

bool FileReader::read(void* into, std::size_t count) {
    return readUpTo(into, count) == count;
}

std::size_t FileReader::readUpTo(void* into, std::size_t count) {
    if (inMemory_) {
        // A position past the end, after a seek there, reads nothing.
        const std::uint64_t left = position_ < size_ ? size_ - position_ : 0;
        const auto got = static_cast<std::size_t>(std::min<std::uint64_t>(count, left));
        if (got > 0) std::memcpy(into, memory_ + position_, got);
        position_ += got;
        return got;
    }
    if (!file_ || count == 0) return 0;
    const std::size_t got = std::fread(into, 1, count, file_.get());
    position_ += got;
    return got;
}

int FileReader::readByte() {
    if (inMemory_) {
        if (position_ >= size_) return -1;
        return memory_[position_++];
    }
    if (!file_) return -1;
    const int c = std::fgetc(file_.get());
    if (c != EOF) ++position_;
    return c == EOF ? -1 : c;
}

bool FileReader::readU16(std::uint16_t& value) {
    std::uint8_t b[2];
    if (!read(b, 2)) return false;
    value = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool FileReader::readU32(std::uint32_t& value) {
    std::uint8_t b[4];
    if (!read(b, 4)) return false;
    value = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
            (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
}

bool FileReader::seek(std::uint64_t offset) {
    if (inMemory_) {
        // Like fseek, a position beyond the end is allowed; reads there fail.
        if (offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) return false;
        position_ = offset;
        return true;
    }
    if (!file_ || offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) {
        return false;
    }
    if (std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) != 0) return false;
    position_ = offset;
    return true;
}

}  // namespace gfx
