#pragma once

#include <cstddef>
#include <istream>
#include <string>

// Reading the system's files as a hostile folder may hold them, and the pieces of text shared by the
// readers of settings.config, materials.dat and the models.

// A whole file, or why it could not be had.
struct FileContents {
    enum class Status { Read, CannotOpen, TooLarge };
    Status status = Status::CannotOpen;
    std::string bytes;
    // What went wrong, to follow the path in a message: "is a directory", "cannot be opened: Permission denied", ...
    std::string problem;

    bool read() const { return status == Status::Read; }
};

// Reads a regular file whole. Never blocks and never reads without end: a folder, a pipe, a device or a
// socket in the file's place counts as a file that cannot be opened, and one of more than `limit` bytes is
// refused before anything is allocated for it.
FileContents readWholeFile(const std::string& path, std::size_t limit);

// The next line without its line feed and without one carriage return before it, as a text-mode read
// of a file written with Windows line ends gives it.
bool nextLine(std::istream& in, std::string& line);

// `text` as a message quotes it: whole when short, else its start, "..." and its length.
std::string excerpt(const std::string& text);

// std::stof that also refuses "nan" and "inf": a value no reader can use, like one without a number.
// Throws std::invalid_argument or std::out_of_range, as std::stof does.
float finiteFloat(const std::string& text);
