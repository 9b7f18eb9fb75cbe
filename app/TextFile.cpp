#include "app/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kExcerptLength = 60;

FileContents refused(FileContents::Status status, std::string problem)
{
    FileContents result;
    result.status = status;
    result.problem = std::move(problem);
    return result;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0) {
            close(fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int fd;
};

}

FileContents readWholeFile(const std::string& path, std::size_t limit)
{
    // O_NONBLOCK: opening a pipe without a writer would otherwise wait for one for ever.
    Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0) {
        return refused(FileContents::Status::CannotOpen, std::string("cannot be opened: ") + std::strerror(errno));
    }
    struct stat info {};
    if (fstat(file.fd, &info) != 0) {
        return refused(FileContents::Status::CannotOpen, std::string("cannot be opened: ") + std::strerror(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        return refused(FileContents::Status::CannotOpen, "is a directory");
    }
    if (!S_ISREG(info.st_mode)) {
        return refused(FileContents::Status::CannotOpen, "is not a regular file");
    }
    const std::string tooLarge = "is larger than " + std::to_string(limit) + " bytes";
    if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > limit) {
        return refused(FileContents::Status::TooLarge, tooLarge);
    }

    FileContents result;
    result.bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t filled = 0;
    // The file may change while it is read: stop at its end, and refuse it if it grew past the limit.
    for (;;) {
        if (filled == result.bytes.size()) {
            if (result.bytes.size() > limit) {
                return refused(FileContents::Status::TooLarge, tooLarge);
            }
            result.bytes.resize(std::min(limit + 1, result.bytes.size() + 4096));
        }
        ssize_t n = ::read(file.fd, result.bytes.data() + filled, result.bytes.size() - filled);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return refused(FileContents::Status::CannotOpen, std::string("cannot be read: ") + std::strerror(errno));
        }
        if (n == 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    if (filled > limit) {
        return refused(FileContents::Status::TooLarge, tooLarge);
    }
    result.bytes.resize(filled);
    result.status = FileContents::Status::Read;
    return result;
}

bool nextLine(std::istream& in, std::string& line)
{
    if (!std::getline(in, line)) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

std::string excerpt(const std::string& text)
{
    if (text.size() <= kExcerptLength) {
        return text;
    }
    return text.substr(0, kExcerptLength) + "... (" + std::to_string(text.size()) + " characters)";
}

float finiteFloat(const std::string& text)
{
    float value = std::stof(text);
    if (!std::isfinite(value)) {
        throw std::invalid_argument("not a finite number");
    }
    return value;
}
