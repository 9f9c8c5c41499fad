// Running out of memory is a failed read or write, never the end of the
// process: each reader and writer runs in a child under an address-space
// limit (imaging_oom_child, unsanitized, since the sanitizers' shadow memory
// cannot live under one).
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace {

TEST(OutOfMemory, ReadersAndWritersAnswerFalse) {
    const struct {
        const char* args;
        int exitCode;  // 0 done, 1 refused
    } cases[] = {
        {"read 420", 0},  // a 2.6 MB run-length TGA of 16384 x 4096 needs one picture's worth
        {"read 200", 1},  // not even that
        {"write-bmp 48", 1}, {"write-tga 48", 1}, {"write-gif 48", 1}, {"write-png 48", 1}, {"write-jpg 48", 1},
    };
    for (const auto& c : cases) {
        const int status = std::system((std::string(PANOREL_OOM_CHILD) + " " + c.args + " 2>/dev/null").c_str());
        ASSERT_TRUE(WIFEXITED(status)) << c.args;
        EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << c.args << " (134: aborted)";
    }
}

}  // namespace
