// Subclassing on real windows: the bookkeeping properties, the raised errors
// and the order in which clients and the previous procedure run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "host/PanorelError.h"
#include "winsupport/MSubclass.h"
#include "winsupport/SubclassNames.h"

namespace panorel::test {
namespace {

constexpr UINT kProbeMsg = WM_APP + 1;
constexpr LRESULT kPreviousResult = 77;
std::vector<std::string>* g_log = nullptr;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kProbeMsg || msg == kProbeMsg + 1) {
        if (g_log) g_log->push_back("prev");
        return kPreviousResult;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

struct Client : ISubclass {
    Client(std::string name, std::int32_t response, LRESULT result)
        : name_(std::move(name)), response_(response), result_(result) {}
    std::int32_t MsgResponse(std::int32_t& CurrentMessage) override {
        if (g_log) g_log->push_back(name_ + "?" + std::to_string(CurrentMessage - kProbeMsg));
        return response_;
    }
    LRESULT WindowProc(HWND, UINT, WPARAM, LPARAM) override {
        if (g_log) g_log->push_back(name_);
        return result_;
    }
    std::string name_;
    std::int32_t response_;
    LRESULT result_;
};

class Subclassing : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &ProbeProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PanorelSubclassProbe";
        ::RegisterClassW(&wc);
        hwnd_ = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                                  nullptr);
        ASSERT_NE(hwnd_, nullptr);
        h_ = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(hwnd_));
        g_log = &log_;
    }
    void TearDown() override {
        g_log = nullptr;
        if (hwnd_) ::DestroyWindow(hwnd_);
    }
    std::intptr_t Prop(const std::wstring& name) const {
        return reinterpret_cast<std::intptr_t>(::GetPropW(hwnd_, name.c_str()));
    }
    bool HasProp(const std::wstring& name) const { return ::GetPropW(hwnd_, name.c_str()) != nullptr; }
    LRESULT Send(UINT msg = kProbeMsg) {
        log_.clear();
        return ::SendMessageW(hwnd_, msg, 0, 0);
    }
    std::string Log() const {
        std::string s;
        for (const auto& e : log_) s += (s.empty() ? "" : " ") + e;
        return s;
    }
    static std::intptr_t Address(const Client& c) {
        return reinterpret_cast<std::intptr_t>(static_cast<const ISubclass*>(&c));
    }

    HWND hwnd_ = nullptr;
    std::int32_t h_ = 0;
    std::vector<std::string> log_;
};

TEST_F(Subclassing, DetachingTheFirstOfTwoMovesTheSecondDownAndTheLastRestoresTheProcedure) {
    Client a("a", 0, 1), b("b", 0, 2);
    const auto original = ::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC);
    AttachMessage(&a, hwnd_, kProbeMsg);
    AttachMessage(&b, hwnd_, kProbeMsg);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&SubclassWindowProc));
    EXPECT_EQ(Prop(SubclassPreviousProcName(h_)), original);
    EXPECT_EQ(Prop(SubclassWindowCountName(h_)), 2);
    EXPECT_EQ(Prop(SubclassMessageCountName(h_, kProbeMsg)), 2);
    EXPECT_EQ(Prop(SubclassClientName(h_, kProbeMsg, 1)), Address(a));
    EXPECT_EQ(Prop(SubclassClientName(h_, kProbeMsg, 2)), Address(b));

    DetachMessage(&a, hwnd_, kProbeMsg);
    EXPECT_EQ(Prop(SubclassClientName(h_, kProbeMsg, 1)), Address(b));
    EXPECT_FALSE(HasProp(SubclassClientName(h_, kProbeMsg, 2)));
    EXPECT_EQ(Prop(SubclassMessageCountName(h_, kProbeMsg)), 1);
    EXPECT_EQ(Prop(SubclassWindowCountName(h_)), 1);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&SubclassWindowProc));
    EXPECT_EQ(Send(), 2);
    EXPECT_EQ(Log(), "b?0 b b?0");

    DetachMessage(&b, hwnd_, kProbeMsg);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC), original);
    EXPECT_FALSE(HasProp(SubclassPreviousProcName(h_)));
    EXPECT_FALSE(HasProp(SubclassWindowCountName(h_)));
    EXPECT_FALSE(HasProp(SubclassClientName(h_, kProbeMsg, 1)));
    EXPECT_EQ(Prop(SubclassMessageCountName(h_, kProbeMsg)), 0);
    EXPECT_EQ(Send(), kPreviousResult);
    EXPECT_EQ(Log(), "prev");
}

TEST_F(Subclassing, MisuseRaisesNumberedErrors) {
    Client a("a", 0, 0);
    AttachMessage(&a, hwnd_, kProbeMsg);
    try {
        AttachMessage(&a, hwnd_, kProbeMsg);
        FAIL() << "no error";
    } catch (const PanorelError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x80040000u + 13082));
        EXPECT_EQ(e.Description(), "Message already handled by another class");
        EXPECT_EQ(e.Source(), "winsupport_win_tests.WindowProc");
    }
    EXPECT_EQ(Prop(SubclassWindowCountName(h_)), 2) << "the window count stays raised";
    EXPECT_EQ(Prop(SubclassMessageCountName(h_, kProbeMsg)), 1);

    const HWND gone = hwnd_;
    ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    try {
        AttachMessage(&a, gone, kProbeMsg);
        FAIL() << "no error";
    } catch (const PanorelError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x80040000u + 13083));
        EXPECT_EQ(e.Description(), "Invalid window");
    }
}

TEST_F(Subclassing, AWindowOfAnotherProcessCannotBeSubclassed) {
    SharedEvents events;
    KernelHandle process = StartProgram(L"Spacehost.exe", L"1");
    ASSERT_TRUE(process);
    const HWND other = WaitForWindow(L"Spacehost1", 10000);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(IsWindowLocal(other));
    EXPECT_TRUE(IsWindowLocal(hwnd_));
    Client a("a", 0, 0);
    try {
        AttachMessage(&a, other, kProbeMsg);
        ADD_FAILURE() << "no error";
    } catch (const PanorelError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x80040000u + 13084));
        EXPECT_EQ(e.Description(), "Can't modify external window");
    }
    ::PostMessageW(other, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitExit(process, 10000), 0);
}

TEST_F(Subclassing, OneClientDecidesPrePostOrReplaceProcessing) {
    struct Case {
        std::int32_t response;
        LRESULT expected;
        const char* log;
    };
    const Case cases[] = {
        {2, 5, "a?0 prev a a?0"},         // pre-process: the client sees it after, its result counts
        {1, kPreviousResult, "a?0 a a?0 prev"},  // post-process: the previous result replaces the client's
        {0, 5, "a?0 a a?0"},              // replace: the previous procedure never runs
    };
    for (const Case& c : cases) {
        Client a("a", c.response, 5);
        AttachMessage(&a, hwnd_, kProbeMsg);
        EXPECT_EQ(Send(), c.expected) << c.response;
        EXPECT_EQ(Log(), c.log) << c.response;
        EXPECT_EQ(Send(kProbeMsg + 1), kPreviousResult) << "other messages go straight through";
        EXPECT_EQ(Log(), "prev");
        DetachMessage(&a, hwnd_, kProbeMsg);
    }
}

TEST_F(Subclassing, WithThreeClientsOnlyTheFirstAndTheLastAreAsked) {
    {
        Client a("a", 0, 1), b("b", 2, 2), c("c", 1, 3);
        for (Client* x : {&a, &b, &c}) AttachMessage(x, hwnd_, kProbeMsg);
        AttachMessage(&b, hwnd_, kProbeMsg + 1);  // a second pair on the same window
        EXPECT_EQ(Send(), kPreviousResult);
        EXPECT_EQ(Log(), "a?0 a b c c?0 prev");
        EXPECT_EQ(Send(kProbeMsg + 1), 2);
        EXPECT_EQ(Log(), "b?1 prev b b?1");
        for (Client* x : {&a, &b, &c}) DetachMessage(x, hwnd_, kProbeMsg);
        DetachMessage(&b, hwnd_, kProbeMsg + 1);
    }
    {
        Client a("a", 2, 1), b("b", 1, 2), c("c", 0, 3);
        for (Client* x : {&a, &b, &c}) AttachMessage(x, hwnd_, kProbeMsg);
        EXPECT_EQ(Send(), 3);
        EXPECT_EQ(Log(), "a?0 prev a b c c?0");
        // Pre-processed already, so a post-processing last client adds no second call.
        DetachMessage(&c, hwnd_, kProbeMsg);
        EXPECT_EQ(Send(), 2);
        EXPECT_EQ(Log(), "a?0 prev a b b?0");
        for (Client* x : {&a, &b}) DetachMessage(x, hwnd_, kProbeMsg);
    }
    EXPECT_FALSE(HasProp(SubclassWindowCountName(h_)));
}

}  // namespace
}  // namespace panorel::test
