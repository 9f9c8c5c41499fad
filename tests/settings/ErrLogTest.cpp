#include <gtest/gtest.h>

#include "settings/ErrLog.h"
#include "WinTestSupport.h"

namespace panorel::test {
namespace {

struct LookupRestorer {
    ~LookupRestorer() { SetLogFolderLookupForTesting(nullptr); }
};

TEST(LogFolder, SuccessIsCachedFailuresAreAskedAgain) {
    LookupRestorer restore;
    const struct {
        HRESULT result;
        const wchar_t *found, *expected;
        int calls;  // for two questions
    } cases[] = {{S_OK, L"C:\\some\\folder", L"C:\\some\\folder\\", 1}, {S_OK, L"D:\\", L"D:\\", 1},
                 {S_FALSE, L"", L"c:\\", 2}, {E_INVALIDARG, L"", L"c:\\", 2}, {E_FAIL, L"", L"", 2}};
    for (const auto& c : cases) {
        int calls = 0;
        SetLogFolderLookupForTesting([&](wchar_t* path) {
            ++calls;
            wcscpy(path, c.found);
            return c.result;
        });
        EXPECT_EQ(LogFolder(), c.expected);
        EXPECT_EQ(LogFolder(), c.expected);
        EXPECT_EQ(calls, c.calls) << c.result;
    }
}

// Two entries separated by one empty line: StartupTest, through the real program.
TEST(LogError, UnwritableFolderLosesTheEntryQuietly) {
    LookupRestorer restore;
    SetLogFolderLookupForTesting([](wchar_t* path) {
        wcscpy(path, L"Z:\\nonexistent-panorel-folder\\deeper");
        return S_OK;
    });
    LogError(L"lost");
    EXPECT_EQ(::GetFileAttributesW(L"Z:\\nonexistent-panorel-folder\\deeper\\PanorelErrors.txt"),
              INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace panorel::test
