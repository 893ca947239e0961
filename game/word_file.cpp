#include "game/word_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "game/line_reader.hpp"

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

// Windows opens files as text unless asked otherwise and knows no close-on-exec.
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

constexpr std::size_t kReadChunk = std::size_t{1} << 20;

// Reads everything the descriptor delivers; a read error ends the data
// there, as if the file ended.
std::string readAll(int fd) {
    std::string data;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        data.reserve(static_cast<std::size_t>(info.st_size) + 1);
    }
    std::size_t used = 0;
    for (;;) {
        if (data.size() - used < kReadChunk) data.resize(used + std::max(kReadChunk, used / 2));
        const ssize_t got = ::read(fd, data.data() + used, data.size() - used);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        used += static_cast<std::size_t>(got);
    }
    data.resize(used);
    return data;
}

void unscrambleInPlace(std::string& text) {
    for (char& c : text) c = static_cast<char>(unscrambleByte(static_cast<std::uint8_t>(c)));
}

}  // namespace

std::string unscrambleLine(std::string& line) {
    unscrambleInPlace(line);
    return line;
}

void loadWordText(std::string_view bytes, WordList& list, std::string& labelPrefix) {
    list.words.assign(1, std::string());
    list.hints.assign(1, std::string());
    LineReader reader(bytes);
    reader.next();  // line 1 carries nothing
    labelPrefix.assign(reader.next());
    unscrambleInPlace(labelPrefix);

    std::string line;
    do {
        line.assign(reader.next());
        unscrambleInPlace(line);
        list.words.emplace_back();
        list.hints.emplace_back();
        const std::size_t separator = line.find(';');
        const std::size_t hintStart = separator == std::string::npos ? 1 : separator + 2;
        list.words.emplace_back(line.substr(0, separator));
        list.hints.emplace_back(hintStart < line.size() ? line.substr(hintStart) : std::string());
    } while (!reader.atEnd());
}

WordFileOpen loadWordFile(const std::string& fileName, WordList& list, std::string& labelPrefix) {
    FileDescriptor file(::open(fileName.c_str(), O_RDONLY | kBinary | kCloseOnExec));
    WordFileOpen how = WordFileOpen::Read;
    if (!file.valid()) {
        how = WordFileOpen::Unreadable;
        if (errno == ENOENT) {
            // O_EXCL: a file that appeared meanwhile is left as it is.
            const FileDescriptor created(::open(
                fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary | kCloseOnExec, 0666));
            if (created.valid()) how = WordFileOpen::CreatedEmpty;
        }
    }
    const std::string bytes = file.valid() ? readAll(file.get()) : std::string();
    loadWordText(bytes, list, labelPrefix);
    return how;
}

}  // namespace game
