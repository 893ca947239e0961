#include "game/word_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "game/line_reader.hpp"
#include "runtime/stop_request.hpp"

namespace game {
namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

  private:
    int fd_;
};

// Windows opens files as text unless asked otherwise and knows no close-on-exec
// and no non-blocking open.
#if defined(O_BINARY)
constexpr int kBinary = O_BINARY;
#else
constexpr int kBinary = 0;
#endif
#if defined(O_CLOEXEC)
constexpr int kCloseOnExec = O_CLOEXEC;
#else
constexpr int kCloseOnExec = 0;
#endif
#if defined(O_NONBLOCK)
constexpr int kNoWait = O_NONBLOCK;
#else
constexpr int kNoWait = 0;
#endif

constexpr std::size_t kReadChunk = std::size_t{1} << 20;

// Makes `bytes` `size` zero bytes, ready to read a file into; on large
// memory pages where the system offers them.
void sizeForFile(std::string& bytes, std::size_t size) {
    bytes.clear();
    bytes.reserve(size);
#if defined(MADV_HUGEPAGE) && !defined(__EMSCRIPTEN__)
    // Asked before the pages are first touched, so a list of hundreds of
    // megabytes costs hundreds of page faults rather than a hundred thousand.
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(bytes.data());
    const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t last = (start + size) & ~(kLargePage - 1);
    if (last > first) {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): an address rounded to a large page
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#endif
    bytes.resize(size);
}

}  // namespace

bool readWholeFile(int fd, std::string& data, std::string& why, bool anyKind) {
    struct stat info {};
    // Some standard inputs cannot be asked what they are (the browser build's
    // under node); read as a stream, they still give their bytes.
    const bool known = ::fstat(fd, &info) == 0;
    if (!known && !anyKind) {
        why = std::strerror(errno);
        return false;
    }
    const bool regular = known && S_ISREG(info.st_mode);
    if (!regular && !anyKind) {
        why = "not a regular file";
        return false;
    }
    // A regular file goes into a string of its size; other input grows as it comes.
    sizeForFile(data, regular ? static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)) : 0);
    std::size_t used = 0;
    char beyond[4096];  // finds the end, or bytes beyond the size known so far
    for (;;) {
        if (runtime::stopRequested()) {
            why = "reading stopped";
            return false;
        }
        const bool inside = used < data.size();
        char* into = inside ? data.data() + used : beyond;
        const std::size_t want = inside ? std::min(kReadChunk, data.size() - used) : sizeof beyond;
        const auto got = ::read(fd, into, static_cast<unsigned>(want));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            why = std::strerror(errno);
            return false;
        }
        if (got == 0) break;
        if (!inside) data.append(beyond, static_cast<std::size_t>(got));
        used += static_cast<std::size_t>(got);
    }
    data.resize(used);
    return true;
}

std::string unscrambleLine(std::string& line) {
    for (char& c : line) c = static_cast<char>(unscrambleByte(static_cast<std::uint8_t>(c)));
    return line;
}

void loadWordText(std::string bytes, WordList& list, std::string& labelPrefix) {
    LineReader reader(bytes);
    reader.next();  // line 1 carries nothing
    const std::string_view prefixLine = reader.next();
    labelPrefix.assign(prefixLine);
    unscrambleLine(labelPrefix);
    const std::size_t firstEntry =
        reader.atEnd() ? bytes.size()
                       : static_cast<std::size_t>(prefixLine.data() - bytes.data()) +
                             prefixLine.size() + reader.lineEnd().size();
    auto lines = std::make_shared<const EntryLines>(std::move(bytes), firstEntry);
    list.words = SlotTexts(lines, SlotPart::Word);
    list.hints = SlotTexts(std::move(lines), SlotPart::Hint);
}

WordFileOpen loadWordFile(const std::string& fileName, WordList& list, std::string& labelPrefix,
                          std::string* why) {
    std::string reason;
    std::string bytes;
    WordFileOpen how = WordFileOpen::Read;
    const FileDescriptor file(
        ::open(fileName.c_str(), O_RDONLY | kNoWait | kBinary | kCloseOnExec));
    if (file.valid()) {
        if (!readWholeFile(file.get(), bytes, reason)) {
            how = WordFileOpen::Unreadable;
            bytes.clear();
            reason = "cannot read " + fileName + ": " + reason;
        }
    } else if (errno == ENOENT) {
        // O_EXCL: a file that appeared meanwhile is left as it is.
        const FileDescriptor created(
            ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary | kCloseOnExec, 0666));
        how = created.valid() ? WordFileOpen::CreatedEmpty : WordFileOpen::Unreadable;
        if (!created.valid()) reason = "cannot create " + fileName + ": " + std::strerror(errno);
    } else {
        how = WordFileOpen::Unreadable;
        reason = "cannot read " + fileName + ": " + std::strerror(errno);
    }
    loadWordText(std::move(bytes), list, labelPrefix);
    if (why != nullptr) *why = reason;
    return how;
}

}  // namespace game
