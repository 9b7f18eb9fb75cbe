#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

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
