// What Explorer shows of the shipped programs: the version details, the icon
// and the Windows versions the manifest declares.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WinTestSupport.h"

namespace panorel::test {
namespace {

std::wstring VersionString(const std::vector<std::uint8_t>& info, const wchar_t* name) {
    void* text = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!::VerQueryValueW(info.data(), path.c_str(), &text, &length) || length == 0) return L"";
    return static_cast<const wchar_t*>(text);
}

TEST(Resources, EveryProgramCarriesVersionDetailsItsIconAndTheSupportedWindows) {
    const std::pair<const wchar_t*, const wchar_t*> programs[] = {
        {L"Spacehost.exe", L"Panorel 2 desktop switcher"}, {L"Panorel2.exe", L"Panorel 2"},
        {L"ControlPanel-Panorel2.exe", L"Panorel 2 Control Panel"}, {L"helpBrowser.exe", L"Panorel 2 Help"}};
    for (const auto& [file, description] : programs) {
        const std::wstring path = DistPath(file);
        DWORD ignored = 0;
        std::vector<std::uint8_t> info(::GetFileVersionInfoSizeW(path.c_str(), &ignored));
        ASSERT_FALSE(info.empty()) << "no version resource in " << file;
        ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        EXPECT_EQ(VersionString(info, L"ProductName"), L"Panorel 2");
        EXPECT_EQ(VersionString(info, L"FileDescription"), description);
        EXPECT_EQ(VersionString(info, L"OriginalFilename"), file);
        void* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", &fixed, &length));
        EXPECT_EQ(static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS, 0x20000u);

        HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr);
        // Explorer shows the first icon group (RT_GROUP_ICON), named so that it sorts first.
        EXPECT_NE(::FindResourceW(module, L"AAA", MAKEINTRESOURCEW(14)), nullptr) << "no icon in " << file;
        HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
        ASSERT_NE(found, nullptr);
        const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
        const std::string manifest(bytes, ::SizeofResource(module, found));
        ::FreeLibrary(module);
        for (const char* id : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                               "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
            EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"{") + id + "}\"/>"), std::string::npos)
                << file << " lacks " << id;
    }
}

}  // namespace
}  // namespace panorel::test
