#include "keep/atomic_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/files.h"
#include "tests/keep/temp_folder.h"

namespace kessrune::keep {
namespace {

using testing::readFile;

TEST(WriteFileAtomically, WritesAndReplacesWholeFilesLeavingNoTemporary) {
    TempFolder dir;
    const auto file = dir.path() / "style.css";
    const std::string binary("a\0b\xff", 4);

    FileWrite first = writeFileAtomically(file, binary);
    ASSERT_TRUE(first.ok) << first.error;
    EXPECT_EQ(first.error, "");
    EXPECT_EQ(readFile(file), binary);

    ASSERT_TRUE(writeFileAtomically(file, "").ok);
    EXPECT_EQ(readFile(file), "");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"style.css"});
}

TEST(WriteFileAtomically, AFailureLeavesTheTargetAndNoTemporary) {
    TempFolder dir;
    // A non-empty folder in the target's place: the temporary is written,
    // the rename fails.
    const auto folder = dir.path() / "taken";
    std::filesystem::create_directories(folder / "inside");
    FileWrite taken = writeFileAtomically(folder, "x");
    EXPECT_FALSE(taken.ok);
    EXPECT_NE(taken.error.find(folder.string()), std::string::npos) << taken.error;
    EXPECT_TRUE(std::filesystem::is_directory(folder / "inside"));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"taken"});

    // No folder to write into (a regular file stands where it would be,
    // which stops root too).
    ASSERT_TRUE(writeFileAtomically(dir.path() / "plain.txt", "old").ok);
    FileWrite under = writeFileAtomically(dir.path() / "plain.txt" / "x.css", "x");
    EXPECT_FALSE(under.ok);
    EXPECT_NE(under.error.find("Not a directory"), std::string::npos) << under.error;
    EXPECT_EQ(readFile(dir.path() / "plain.txt"), "old");

    EXPECT_FALSE(writeFileAtomically(dir.path() / "", "x").ok);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"plain.txt", "taken"}));
}

}  // namespace
}  // namespace kessrune::keep
