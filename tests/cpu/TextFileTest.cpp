#include "app/TextFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

using Status = FileContents::Status;

TEST(ReadWholeFile, ReadsEveryByteOfARegularFileUpToTheLimit)
{
    TempDir dir;
    const std::string bytes("line\r\n\0binary\xff", 14);
    dir.write("file", bytes);
    dir.write("empty", "");

    FileContents whole = readWholeFile("file", bytes.size());
    EXPECT_EQ(whole.status, Status::Read);
    EXPECT_EQ(whole.bytes, bytes);
    EXPECT_EQ(readWholeFile("empty", 0).status, Status::Read);

    FileContents over = readWholeFile("file", bytes.size() - 1);
    EXPECT_EQ(over.status, Status::TooLarge);
    EXPECT_EQ(over.problem, "is larger than 13 bytes");
    EXPECT_TRUE(over.bytes.empty());
}

TEST(ReadWholeFile, RefusesAHugeFileFromItsSizeAlone)
{
    TempDir dir;
    dir.writeSparse("huge", std::uintmax_t{1} << 40);
    FileContents huge = readWholeFile("huge", 1u << 20);
    EXPECT_EQ(huge.status, Status::TooLarge);
    EXPECT_EQ(huge.problem, "is larger than 1048576 bytes");
}

struct NotAFileCase {
    TempDir::NotAFile kind;
    const char* problem;
};

class ReadWholeFileRefuses : public ::testing::TestWithParam<NotAFileCase> {};

// None of these may block (a pipe without a writer would wait for one for ever) or be read without end.
TEST_P(ReadWholeFileRefuses, WhatIsNotARegularFile)
{
    TempDir dir;
    dir.place("entry", GetParam().kind);
    FileContents entry = readWholeFile("entry", 1u << 20);
    EXPECT_EQ(entry.status, Status::CannotOpen);
    EXPECT_EQ(entry.problem, GetParam().problem);
    EXPECT_TRUE(entry.bytes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ReadWholeFileRefuses,
    ::testing::Values(NotAFileCase{TempDir::NotAFile::Directory, "is a directory"},
                      NotAFileCase{TempDir::NotAFile::Pipe, "is not a regular file"},
                      NotAFileCase{TempDir::NotAFile::LinkToDevZero, "is not a regular file"},
                      NotAFileCase{TempDir::NotAFile::DanglingLink, "cannot be opened: No such file or directory"}),
    [](const auto& info) { return std::string(TempDir::describe(info.param.kind)); });

TEST(NextLine, DropsOneCarriageReturnBeforeEachLineFeed)
{
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\r\n", {"a\r"}},
        {"a\rb\r\n", {"a\rb"}},
        {"last\r", {"last"}},
        {"\r\n\r\n", {"", ""}},
        {"", {}},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.text);
        std::vector<std::string> lines;
        for (std::string line; nextLine(in, line);) {
            lines.push_back(line);
        }
        EXPECT_EQ(lines, c.lines) << c.text;
    }
}

TEST(Excerpt, KeepsShortTextAndCutsLongText)
{
    const std::string sixty(60, 'x');
    EXPECT_EQ(excerpt(""), "");
    EXPECT_EQ(excerpt(sixty), sixty);
    EXPECT_EQ(excerpt(sixty + "y"), sixty + "... (61 characters)");
    EXPECT_EQ(excerpt(std::string(1 << 20, 'z')), std::string(60, 'z') + "... (1048576 characters)");
}

TEST(FiniteFloat, ReadsAsStofDoesButRefusesNanAndInfinity)
{
    EXPECT_EQ(finiteFloat(" 0.5 rough"), 0.5f);
    EXPECT_EQ(finiteFloat("-2e3"), -2000.0f);
    EXPECT_EQ(finiteFloat("0x1p3"), 8.0f);
    for (const char* unusable : {"nan", "NAN", "-nan", "nan(0x1)", "inf", "-inf", "Infinity", " inf"}) {
        EXPECT_THROW(finiteFloat(unusable), std::invalid_argument) << unusable;
    }
    EXPECT_THROW(finiteFloat("1e99"), std::out_of_range);
    EXPECT_THROW(finiteFloat("x"), std::invalid_argument);
}

}
