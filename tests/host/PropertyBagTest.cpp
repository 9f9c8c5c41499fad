#include "host/PropertyBag.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace panorel::host {
namespace {

PropertyBag Sample() {
    PropertyBag bag;
    bag.Put("i", std::int32_t{-7});
    bag.Put("b", true);
    bag.Put("s", std::wstring(L"caf\u00e9 & \u4e2d"));
    bag.Put("f", FontDesc{L"Tahoma", 8.25, 700, true, false, true, 2});
    bag.Put("p", PictureBytes{1, 2, 3, 0, 255});
    return bag;
}

// Wrong kinds and out-of-range values read as defaults: ButtonModel.WrongKindsInTheBagReadAsDefaults.
TEST(PropertyBag, SavedFormReadsBackAndDamagedFormsNeverReadPastTheirEnd) {
    // Numbers, flags and pictures also come back through a button's own save and load.
    const std::string whole = Sample().Save();
    const PropertyBag bag = PropertyBag::Load(whole);
    EXPECT_EQ(bag.Read<std::wstring>("s", L""), L"caf\u00e9 & \u4e2d");
    EXPECT_EQ(bag.Read<FontDesc>("f", FontDesc{}), (FontDesc{L"Tahoma", 8.25, 700, true, false, true, 2}));

    const std::string path = ::testing::TempDir() + "bag.bin";
    ASSERT_TRUE(SavePropertyBagFile(Sample(), path));
    const auto fromFile = LoadPropertyBagFile(path);
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->Save(), whole);
    std::remove(path.c_str());
    EXPECT_FALSE(LoadPropertyBagFile(path));

    // Every cut keeps only complete entries: a key reads its value or its default.
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const PropertyBag cut = PropertyBag::Load(std::string_view(whole).substr(0, n));
        EXPECT_LT(cut.Size(), 5u);
        const std::int32_t i = cut.Read<std::int32_t>("i", 0);
        EXPECT_TRUE(i == 0 || i == -7);
    }
    EXPECT_EQ(PropertyBag::Load("not a bag").Size(), 0u);
    // Any other bytes: fuzz_button_bag.
}

TEST(PropertyBag, ValueEqualToItsDefaultIsNotStored) {
    PropertyBag bag;
    bag.Write<std::int32_t>("a", 5, 5);
    bag.Write<std::wstring>("c", L"x", L"y");
    EXPECT_FALSE(bag.Contains("a"));
    EXPECT_TRUE(bag.Contains("c"));
    bag.Write<std::wstring>("c", L"y", L"y");  // back to its default: the stored value goes
    EXPECT_FALSE(bag.Contains("c"));
    EXPECT_EQ(bag.WriteLog(), (std::vector<std::string>{"a", "c", "c"}));
}

}  // namespace
}  // namespace panorel::host
