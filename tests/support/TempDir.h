#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>

// A fresh temporary folder that becomes the working directory for the test's lifetime,
// so loaders that read "<cwd>/Resources/..." see only the test's fixture files.
class TempDir {
public:
    // What may stand where a loader expects a file, none of which it may read or wait on.
    enum class NotAFile { Directory, Pipe, LinkToDevZero, DanglingLink };
    static const char* describe(NotAFile kind);

    TempDir();
    ~TempDir();

    const std::filesystem::path& path() const { return root; }
    // Writes a file below the folder, creating its parent folders.
    void write(const std::string& relative, const std::string& contents) const;
    // Puts `kind` at `relative`, creating its parent folders.
    void place(const std::string& relative, NotAFile kind) const;
    // A file of `size` bytes that takes no room: every byte reads as zero.
    void writeSparse(const std::string& relative, std::uintmax_t size) const;
    // Moves into a subfolder and removes it, so that reading the working directory fails.
    void enterRemovedFolder() const;

private:
    std::filesystem::path root;
    std::filesystem::path previous;
};

// Names the entry kind in parameterised tests' descriptions.
void PrintTo(TempDir::NotAFile kind, std::ostream* os);
