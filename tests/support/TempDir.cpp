#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "velmorra-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    root = pattern;
    previous = std::filesystem::current_path();
    std::filesystem::current_path(root);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(root, ignored);
}

void TempDir::write(const std::string& relative, const std::string& contents) const
{
    std::filesystem::path file = root / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << contents;
}

void TempDir::enterRemovedFolder() const
{
    std::filesystem::path gone = root / "gone";
    std::filesystem::create_directory(gone);
    std::filesystem::current_path(gone);
    std::filesystem::remove(gone);
}

const char* TempDir::describe(NotAFile kind)
{
    switch (kind) {
    case NotAFile::Directory: return "Directory";
    case NotAFile::Pipe: return "Pipe";
    case NotAFile::LinkToDevZero: return "LinkToDevZero";
    case NotAFile::DanglingLink: return "DanglingLink";
    }
    return "";
}

void TempDir::place(const std::string& relative, NotAFile kind) const
{
    std::filesystem::path entry = root / relative;
    std::filesystem::create_directories(entry.parent_path());
    switch (kind) {
    case NotAFile::Directory:
        std::filesystem::create_directory(entry);
        break;
    case NotAFile::Pipe:
        if (mkfifo(entry.c_str(), 0644) != 0) {
            throw std::runtime_error("mkfifo failed");
        }
        break;
    case NotAFile::LinkToDevZero:
        std::filesystem::create_symlink("/dev/zero", entry);
        break;
    case NotAFile::DanglingLink:
        std::filesystem::create_symlink(root / "nowhere", entry);
        break;
    }
}

void TempDir::writeSparse(const std::string& relative, std::uintmax_t size) const
{
    write(relative, "");
    std::filesystem::resize_file(root / relative, size);
}

void PrintTo(TempDir::NotAFile kind, std::ostream* os)
{
    *os << TempDir::describe(kind);
}
