#include "switcher/PanelKeys.h"

#include <gtest/gtest.h>

namespace panorel {
namespace {

TEST(PanelKeys, EscapeDigitsArrowsAndEnter) {
    using K = PanelKeyKind;
    const struct {
        std::uint32_t key;
        int highlighted, own;
        PanelKeyAction want;
    } table[] = {
        {0x1B, 0, 1, {K::Hide, 0}},      {0x31, 0, 1, {K::Pick, 1}},      {0x34, 3, 1, {K::Pick, 4}},
        {0x35, 0, 1, {}},                {0x64, 0, 2, {K::Pick, 4}},      {0x0D, 0, 1, {}},
        {0x0D, 3, 1, {K::Pick, 3}},      {0x27, 0, 1, {K::Highlight, 2}},  // first arrow: from the own tile
        {0x25, 0, 1, {K::Highlight, 1}}, {0x28, 2, 1, {K::Highlight, 4}}, {0x25, 4, 1, {K::Highlight, 3}},
        {0x26, 3, 1, {K::Highlight, 1}}, {0x28, 4, 1, {K::Highlight, 4}}, {0x41, 2, 1, {}},
    };
    for (const auto& row : table)
        EXPECT_EQ(PanelKey(row.key, row.highlighted, row.own), row.want) << std::hex << row.key << " on " << row.highlighted;
}

}  // namespace
}  // namespace panorel
