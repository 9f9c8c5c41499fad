// Destroying the tray control removes its icon, whatever became of Add.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "winsupport/VLM_SysTray.h"

namespace panorel {
namespace {

TEST(VLM_SysTrayRemove, DestroyingTheControlAlwaysRemovesTheIcon) {
    for (const bool shellAccepts : {true, false}) {
        for (const bool added : {true, false}) {
            std::vector<DWORD> sent;
            auto tray = std::make_unique<VLM_SysTray>(nullptr);
            tray->SetNotifyForTesting([&](DWORD message, const TrayRecordBytes&) {
                sent.push_back(message);
                return shellAccepts;
            });
            if (added) {
                EXPECT_EQ(tray->Add(), shellAccepts);
            }
            tray.reset();
            std::vector<DWORD> expected;
            if (added) expected.push_back(NIM_ADD);
            expected.push_back(NIM_DELETE);
            EXPECT_EQ(sent, expected) << "accepted " << shellAccepts << ", added " << added;
        }
    }
}

}  // namespace
}  // namespace panorel
