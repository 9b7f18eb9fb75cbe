#pragma once

#include <filesystem>
#include <string>

// A fresh temporary folder that becomes the working directory for the test's lifetime,
// so loaders that read "<cwd>/Resources/..." see only the test's fixture files.
class TempDir {
public:
    TempDir();
    ~TempDir();

    const std::filesystem::path& path() const { return root; }
    // Writes a file below the folder, creating its parent folders.
    void write(const std::string& relative, const std::string& contents) const;
    // Moves into a subfolder and removes it, so that reading the working directory fails.
    void enterRemovedFolder() const;

private:
    std::filesystem::path root;
    std::filesystem::path previous;
};
