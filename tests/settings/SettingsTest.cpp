// The settings on the real system: typed registry reads from a scratch key
// made for each test, writes of several values at once (all or none), the
// desktop settings from HKCU\Software\Panorel, the error log's folder, and
// the user's system fonts as font objects and shared font handles.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "host/Handles.h"
#include "host/PanorelError.h"
#include "settings/CompDefaultPrefs.h"
#include "settings/DefPrefsHandles.h"
#include "settings/DesktopSettings.h"
#include "settings/ErrLog.h"
#include "settings/Registry.h"
#include "settings/RegistryWrite.h"
#include "settings/UserSettings.h"
#include "settings/WinAPIError.h"

namespace panorel::test {
namespace {

const wchar_t kScratch[] = L"Software\\PanorelTest_Registry";
using Bytes = std::vector<std::uint8_t>;

Bytes Utf16(const wchar_t* text, std::size_t bytes) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(text);
    return Bytes(p, p + bytes);
}

class RegistryRead : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kScratch);
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        key_.reset(key);
        keysBefore_ = RegKeyHandle::LiveCount();
    }
    void TearDown() override {
        EXPECT_EQ(RegKeyHandle::LiveCount(), keysBefore_) << "a key was left open";
        key_.reset();
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kScratch);
    }
    // Stores exactly these bytes: RegSetValueExW adds the terminator a string
    // "forgot" when a NUL follows its byte count, so a non-zero one follows here.
    void Put(const wchar_t* name, DWORD type, Bytes data) {
        const DWORD size = static_cast<DWORD>(data.size());
        data.insert(data.end(), {'X', 'X', 'X'});
        ASSERT_EQ(::RegSetValueExW(key_.get(), name, 0, type, size == 0 ? nullptr : data.data(), size), ERROR_SUCCESS);
    }
    bool Read(const wchar_t* name, std::int32_t type, RegistryValue& value) {
        return Registry::ReadValue(HKEY_CURRENT_USER, kScratch, name, type, value);
    }

    RegKeyHandle key_;
    long keysBefore_ = 0;
};

// Text length follows the stored byte count; integers and byte arrays take
// any size safely. A failure gives its text and leaves the value as it was; a
// success leaves the last failure's text alone.
TEST_F(RegistryRead, EachValueIsWhatItsStoredBytesSayOrAFailureWithItsText) {
    Bytes large(200000);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i * 7 + 1);
    std::wstring largeText(large.size() / 2, L'\0');
    std::memcpy(largeText.data(), large.data(), large.size());
    Bytes largeBinary = large;
    largeBinary.push_back(0);
    constexpr DWORD kNotStored = ~DWORD{0};
    const RegistryValue kept = std::wstring(L"kept");
    const std::wstring notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
    const struct {
        const wchar_t* name;
        DWORD stored;
        Bytes bytes;
        std::int32_t type;
        RegistryValue expected;
        std::wstring failure = {};  // empty: the read succeeds
    } cases[] = {
        {L"Nothing", kNotStored, {}, kRegSz, kept, notFound},
        {L"Ten", REG_SZ, Utf16(L"Work", 10), kRegSz, std::wstring(L"Work\0", 5)},
        {L"Nine", REG_SZ, Utf16(L"Work", 9), kRegSz, std::wstring(L"Work")},
        {L"Bare", REG_SZ, Utf16(L"Work", 8), kRegSz, std::wstring(L"Work")},
        {L"One", REG_SZ, Utf16(L"W", 1), kRegSz, std::wstring()},
        {L"EmptyText", REG_SZ, {}, kRegSz, std::wstring()},
        {L"Multi", REG_MULTI_SZ, Utf16(L"a\0b\0", 10), kRegMultiSz, std::wstring(L"a\0b\0\0", 5)},
        {L"Large", REG_SZ, large, kRegSz, largeText},
        {L"LongDword", REG_DWORD, {1, 0, 0, 0, 2, 0, 0, 0}, kRegDword, kept, SystemErrorText(ERROR_MORE_DATA)},
        {L"Big", REG_DWORD_BIG_ENDIAN, {0, 0, 1, 2}, kRegDwordBigEndian, std::int32_t{258}},
        {L"BigNegative", REG_DWORD_BIG_ENDIAN, {0xFF, 0xFF, 0xFF, 0xFE}, kRegDwordBigEndian, std::int32_t{-2}},
        {L"Little", REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}, kRegDword, std::int32_t{-2}},
        {L"Number", REG_DWORD, {7, 0, 0, 0}, kRegSz, kept, L"Registry data type was 4instead of the requested 1"},
        {L"ShortDword", REG_DWORD, {5, 1}, kRegDword, std::int32_t{0x105}},
        {L"Empty", REG_BINARY, {}, kRegBinary, Bytes{0}},
        {L"None", REG_NONE, {9}, 0, Bytes{9, 0}},
        {L"LargeBinary", REG_BINARY, large, kRegBinary, largeBinary},
    };
    std::wstring lastFailure;
    for (const auto& c : cases) {
        if (c.stored != kNotStored) Put(c.name, c.stored, c.bytes);
        RegistryValue value = kept;
        EXPECT_EQ(Read(c.name, c.type, value), c.failure.empty()) << c.name;
        if (!c.failure.empty()) lastFailure = c.failure;
        EXPECT_EQ(Registry::LastErrorText(), lastFailure) << c.name;
        EXPECT_TRUE(value == c.expected) << c.name;
    }
    RegistryValue value = kept;
    EXPECT_FALSE(Registry::ReadValue(HKEY_CURRENT_USER, L"Software\\PanorelTest_NoSuchKey", L"x", kRegSz, value));
    EXPECT_EQ(Registry::LastErrorText(), notFound) << "no such key";
    EXPECT_TRUE(value == kept);
}

TEST_F(RegistryRead, TextRewrittenWhileReadComesBackWhole) {
    // Another program may store a new name between the size query and the
    // read: the text is what the read delivered, never the old length.
    const std::wstring longName(L"A much longer desktop name\0", 27), shortName(L"Work\0", 5);
    Put(L"Name", REG_SZ, Utf16(longName.c_str(), 54));
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kScratch, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return;
        const RegKeyHandle own(opened);
        for (bool flip = false; !stop; flip = !flip) {
            const std::wstring& name = flip ? longName : shortName;
            ::RegSetValueExW(own.get(), L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                             static_cast<DWORD>(2 * name.size()));
        }
    });
    int whole = 0, torn = 0;
    for (int i = 0; i < 1000; ++i) {
        RegistryValue value;
        if (!Read(L"Name", kRegSz, value)) continue;  // grew past the room: a failed read, the caller's default
        const std::wstring& text = std::get<std::wstring>(value);
        ++(text == longName || text == shortName ? whole : torn);
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_GT(whole, 0);
}

const wchar_t kLocked[] = L"Software\\PanorelTest_Locked";

std::wstring Text(const wchar_t* key, const wchar_t* name) {
    RegistryValue v;
    return Registry::ReadValue(HKEY_CURRENT_USER, key, name, kRegSz, v) ? std::get<std::wstring>(v) : L"(none)";
}

// A key whose values nobody may set: its DACL grants reading only.
bool MakeReadOnly(const wchar_t* key) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const RegKeyHandle k(raw);
    EXPLICIT_ACCESSW read{};
    wchar_t everyone[] = L"EVERYONE";
    // Reading, and what it takes to undo this; no setting of values.
    ::BuildExplicitAccessWithNameW(&read, everyone, KEY_READ | DELETE | WRITE_DAC, SET_ACCESS, NO_INHERITANCE);
    PACL acl = nullptr;
    if (::SetEntriesInAclW(1, &read, nullptr, &acl) != ERROR_SUCCESS) return false;
    const DWORD result = ::SetSecurityInfo(raw, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
    ::LocalFree(acl);
    HKEY probe = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &probe) == ERROR_SUCCESS) {
        ::RegCloseKey(probe);
        return false;  // not enforced here
    }
    return result == ERROR_SUCCESS;
}

TEST(RegistryWrite, AllOrNothing) {
    DeleteSettings();
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kLocked);
    const long keys = RegKeyHandle::LiveCount();
    ASSERT_TRUE(PutSetting(L"Desktop1Name", REG_SZ, L"Old", 8));
    const std::vector<RegistryChange> good = {
        {L"Software\\Panorel", L"Desktop1Name", false, kRegSz, EncodeRegistryText(L"New")},
        {L"Software\\Panorel", L"Desktop2Name", false, kRegSz, EncodeRegistryText(L"Two")},
        {L"Software\\Panorel", L"Desktop3Name", true, 0, {}},
    };
    std::wstring error;
    ASSERT_TRUE(Registry::WriteValues(HKEY_CURRENT_USER, good, error)) << std::string(error.begin(), error.end());
    EXPECT_EQ(Text(L"Software\\Panorel", L"Desktop1Name"), std::wstring(L"New\0", 4));

    // A value name the registry refuses, after two that were written.
    std::vector<RegistryChange> bad = good;
    bad[0].data = EncodeRegistryText(L"Newer");
    bad[1].remove = true;
    bad.push_back({L"Software\\Panorel", std::wstring(20000, L'n'), false, kRegSz, EncodeRegistryText(L"x")});
    EXPECT_FALSE(Registry::WriteValues(HKEY_CURRENT_USER, bad, error));
    EXPECT_EQ(Text(L"Software\\Panorel", L"Desktop1Name"), std::wstring(L"New\0", 4)) << "put back";
    EXPECT_EQ(Text(L"Software\\Panorel", L"Desktop2Name"), std::wstring(L"Two\0", 4)) << "put back";
    EXPECT_NE(error.find(L"cannot be written"), std::wstring::npos);

    // A key that is not writable, last in the list (where the registry enforces key permissions).
    if (MakeReadOnly(kLocked)) {
        bad.back() = {kLocked, L"Panorel 2", false, kRegSz, EncodeRegistryText(L"x")};
        EXPECT_FALSE(Registry::WriteValues(HKEY_CURRENT_USER, bad, error));
        EXPECT_EQ(Text(L"Software\\Panorel", L"Desktop1Name"), std::wstring(L"New\0", 4));
        EXPECT_NE(error.find(kLocked), std::wstring::npos) << std::string(error.begin(), error.end());
    }
    EXPECT_EQ(RegKeyHandle::LiveCount(), keys) << "a key was left open";
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kLocked);
    DeleteSettings();
}

class DesktopSettings : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettings(); }
    void TearDown() override { DeleteSettings(); }
    static void PutDword(const wchar_t* name, DWORD v) { ASSERT_TRUE(PutSetting(name, REG_DWORD, &v, sizeof v)); }
    static std::pair<int, int> Pair(const Hotkey& h) { return {h.Key, h.Modifiers}; }
};

// A key without its modifier, or with one of another type, falls back with it;
// a name keeps a stored terminator and falls back alone; a program list is
// read safely whatever is stored.
TEST_F(DesktopSettings, HotkeysNamesAndProgramListsFallBackSafely) {
    EXPECT_EQ(Pair(ReadDesktopHotkey(3)), std::make_pair(99, 3)) << "no key at all";
    EXPECT_EQ(Pair(ReadPanelHotkey()), std::make_pair(96, 3));
    EXPECT_EQ(ReadDesktopName(3), L"Desktop 3");
    PutDword(L"Desktop2Key", 65);  // no modifier stored
    PutDword(L"Desktop1Key", 66);
    ASSERT_TRUE(PutSetting(L"Desktop1KeyMod", REG_SZ, L"1", 4));  // the wrong type counts as missing
    PutDword(L"Desktop4Key", 0x70);
    PutDword(L"Desktop4KeyMod", 1);
    PutDword(L"Desktop3KeyMod", 2);  // a modifier alone is not used
    PutDword(L"PanelKey", 65);
    PutDword(L"PanelKeyMod", 2);
    ASSERT_TRUE(PutSetting(L"Desktop1Name", REG_SZ, L"Work", 10));
    PutDword(L"Desktop2Name", 5);
    const std::pair<int, int> expected[] = {{65, 2}, {97, 3}, {98, 3}, {99, 3}, {0x70, 1}};  // [0]: the panel's
    for (int j = 0; j <= 4; ++j) EXPECT_EQ(Pair(j ? ReadDesktopHotkey(j) : ReadPanelHotkey()), expected[j]) << j;
    EXPECT_EQ(ReadDesktopName(1), std::wstring(L"Work\0", 5));
    EXPECT_EQ(ReadDesktopName(2), L"Desktop 2");
    EXPECT_EQ(ReadDesktopName(4), L"Desktop 4");

    const std::wstring big(kMaxProgramListBytes / 2 + 1, L'a');
    const struct {
        DWORD type;
        std::wstring data;  // stored as given, with no terminator added
        std::vector<std::wstring> expected;
    } cases[] = {
        {REG_MULTI_SZ, std::wstring(L"mail.exe\0notepad a.txt\0\0", 24), {L"mail.exe", L"notepad a.txt"}},
        {REG_MULTI_SZ, std::wstring(L"a\0b", 3), {L"a", L"b"}},  // unterminated
        {REG_MULTI_SZ, std::wstring(L"\0a\0", 3), {}},            // empty list first
        {REG_MULTI_SZ, L"", {}},
        {REG_SZ, std::wstring(L"a\0", 2), {}},
        {REG_MULTI_SZ, big, {}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(PutSetting(L"Desktop2Programs", c.type, c.data.data(), DWORD(c.data.size() * 2)));
        EXPECT_EQ(ReadDesktopPrograms(2), c.expected) << c.data.size();
    }
    EXPECT_TRUE(ReadDesktopPrograms(3).empty());
}

struct LookupRestorer {
    ~LookupRestorer() { SetLogFolderLookupForTesting(nullptr); }
};

// A found folder is kept, a failure is asked again; an entry for a folder
// that cannot be written is lost quietly. (Two entries separated by one empty
// line: Startup.MissingEventsAreLoggedOncePerStart, through the real program.)
TEST(LogFolder, SuccessIsCachedFailuresAreAskedAgainAndAnUnwritableOneLosesTheEntry) {
    LookupRestorer restore;
    const struct {
        HRESULT result;
        const wchar_t *found, *expected;
        int calls;  // for two questions
    } cases[] = {{S_OK, L"C:\\some\\folder", L"C:\\some\\folder\\", 1}, {S_OK, L"D:\\", L"D:\\", 1},
                 {S_FALSE, L"", L"c:\\", 2}, {E_INVALIDARG, L"", L"c:\\", 2}, {E_FAIL, L"", L"", 2},
                 {S_OK, L"Z:\\nonexistent-panorel-folder\\deeper", L"Z:\\nonexistent-panorel-folder\\deeper\\", 1}};
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
    LogError(L"lost");  // in the last folder, which does not exist
    EXPECT_EQ(::GetFileAttributesW(L"Z:\\nonexistent-panorel-folder\\deeper\\PanorelErrors.txt"),
              INVALID_FILE_ATTRIBUTES);
}

TEST(Fonts, ObjectsTakeSizeAndStyleFromTheLogFontAndTheSixKindsShareHandles) {
    const struct {
        LONG height, weight;
        BYTE italic;
        LONGLONG size;  // points x 10,000
        BOOL bold;
    } cases[] = {{-12, 400, 0, 90000, FALSE}, {12, 401, 0, 120000, TRUE}, {-16, 700, 1, 120000, TRUE}};
    const long objectsBefore = FontObject::LiveCount();
    for (const auto& c : cases) {
        LOGFONTA lf{};
        lf.lfHeight = c.height;
        lf.lfWeight = c.weight;
        lf.lfItalic = c.italic;
        std::memset(lf.lfFaceName, 'A', sizeof lf.lfFaceName);  // no terminator
        const FontObject font = FontObjectFromLogFont(lf, 96);
        ASSERT_TRUE(font);
        CY size{};
        BOOL bold = !c.bold, italic = !c.italic;
        font->get_Size(&size);
        font->get_Bold(&bold);
        font->get_Italic(&italic);
        EXPECT_EQ(size.int64, c.size) << c.height;
        EXPECT_EQ(bold != FALSE, c.bold != FALSE) << c.weight;
        EXPECT_EQ(italic != FALSE, c.italic != 0);
    }
    EXPECT_EQ(FontObject::LiveCount(), objectsBefore);

    // The default fonts and shared handles of the six kinds.
    const HDC screen = ::GetDC(nullptr);
    for (int kind = 1; kind <= 6; ++kind) EXPECT_TRUE(DefaultFont(screen, kind)) << kind;
    EXPECT_FALSE(DefaultFont(screen, 0));
    EXPECT_FALSE(DefaultFont(screen, 7));
    EXPECT_EQ(DefaultFontHandle(4), DefaultFontHandle(4));

    const long fontsBefore = FontHandle::LiveCount();
    {
        DefPrefsHandles prefs;
        const HFONT menu = prefs.GetHandle(4);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(prefs.GetHandle(4), menu);
        EXPECT_NE(prefs.GetHandle(6), nullptr);
        EXPECT_EQ(FontHandle::LiveCount(), fontsBefore + 2);
        prefs.ReleaseHandle(4);
        prefs.ReleaseHandle(4);  // nothing left to release
        EXPECT_EQ(FontHandle::LiveCount(), fontsBefore + 1);
        // Wine's menu font is 11 pixels high at 96 dpi: 8.25 points, 14.67 pixels.
        ASSERT_EQ(prefs.Records().Metrics.lfMenuFont.lfHeight, -11);
        ASSERT_EQ(::GetDeviceCaps(screen, LOGPIXELSY), 96);
        EXPECT_EQ(prefs.GetHeightInPixel(4, screen), -15);
        EXPECT_EQ(prefs.GetHeightInPixel(7, screen), 0);
        for (std::int32_t bad : {0, 7, -1}) {
            try {
                prefs.GetHandle(bad);
                ADD_FAILURE() << bad;
            } catch (const PanorelError& e) {
                EXPECT_EQ(e.Number(), 9);
            }
            EXPECT_THROW(prefs.ReleaseHandle(bad), PanorelError);
        }
    }
    EXPECT_EQ(FontHandle::LiveCount(), fontsBefore);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace panorel::test
