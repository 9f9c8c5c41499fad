#include <gtest/gtest.h>

#include <regex>

#include "settings/ErrLog.h"
#include "settings/WinAPIError.h"
#include "WinTestSupport.h"

namespace panorel::test {
namespace {

struct LookupRestorer {
    ~LookupRestorer() { SetLogFolderLookupForTesting(nullptr); }
};

TEST(LogFolder, SuccessIsCachedFailuresAreAskedAgain) {
    LookupRestorer restore;
    int calls = 0;
    SetLogFolderLookupForTesting([&](wchar_t* path) {
        ++calls;
        wcscpy(path, L"C:\\some\\folder");
        return S_OK;
    });
    EXPECT_EQ(LogFolder(), L"C:\\some\\folder\\");
    EXPECT_EQ(LogFolder(), L"C:\\some\\folder\\");
    EXPECT_EQ(calls, 1);

    const HRESULT results[] = {S_FALSE, E_INVALIDARG, E_FAIL};
    const wchar_t* expected[] = {L"c:\\", L"c:\\", L""};
    for (int k = 0; k < 3; ++k) {
        calls = 0;
        SetLogFolderLookupForTesting([&, k](wchar_t*) {
            ++calls;
            return results[k];
        });
        EXPECT_EQ(LogFolder(), expected[k]);
        EXPECT_EQ(LogFolder(), expected[k]);
        EXPECT_EQ(calls, 2) << "not cached";
    }

    // A folder that already ends in a backslash keeps just the one.
    SetLogFolderLookupForTesting([](wchar_t* path) {
        wcscpy(path, L"D:\\");
        return S_OK;
    });
    EXPECT_EQ(LogFolder(), L"D:\\");
}

TEST(LogError, EntriesAreDatedAndSeparatedByAnEmptyLine) {
    LookupRestorer restore;
    DeleteErrorLog();
    LogError(L"first message");
    LogError(L"second message");
    const std::string log = ReadErrorLog();
    const std::regex entry("[^ \r\n]+ [^\r\n]+ (first|second) message\r\n\r\n");
    const std::regex twoEntries("([^ \r\n]+ [^\r\n]+ first message\r\n\r\n)([^ \r\n]+ [^\r\n]+ second message\r\n\r\n)");
    EXPECT_TRUE(std::regex_match(log, twoEntries)) << log;
}

TEST(LogError, UnwritableFolderLosesTheEntryQuietly) {
    LookupRestorer restore;
    SetLogFolderLookupForTesting([](wchar_t* path) {
        wcscpy(path, L"Z:\\nonexistent-panorel-folder\\deeper");
        return S_OK;
    });
    LogError(L"lost");
    EXPECT_EQ(::GetFileAttributesW(L"Z:\\nonexistent-panorel-folder\\deeper\\PanorelErrors.txt"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace panorel::test
