#pragma once
// A read-only file with its size known up front, so the loader can check a
// header's claims against what the file really holds before allocating. The
// same reader also serves bytes already in memory, which then read exactly
// like a file holding them.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>

namespace gfx {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

class FileReader {
  public:
    // Opens `path` for binary reading; check isOpen().
    explicit FileReader(const char* path);
    // Reads `bytes`, which must outlive the reader; always open.
    explicit FileReader(std::span<const std::uint8_t> bytes);

    bool isOpen() const { return file_ != nullptr || inMemory_; }
    std::uint64_t size() const { return size_; }
    std::uint64_t position() const { return position_; }
    bool failed() const {
        if (inMemory_) return false;
        return file_ == nullptr || std::ferror(file_.get()) != 0;
    }

    // True only when all `count` bytes were read.
    bool read(void* into, std::size_t count);
    // Reads at most `count` bytes; returns how many arrived.
    std::size_t readUpTo(void* into, std::size_t count);
    // -1 at end of file.
    int readByte();
    bool readU16(std::uint16_t& value);
    bool readU32(std::uint32_t& value);
    bool seek(std::uint64_t offset);
    bool skip(std::uint64_t count) { return seek(position_ + count); }

  private:
    std::unique_ptr<std::FILE, FileCloser> file_;
    const std::uint8_t* memory_ = nullptr;
    bool inMemory_ = false;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
};

}  // namespace gfx
