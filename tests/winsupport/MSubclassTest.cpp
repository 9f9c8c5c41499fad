// Subclassing on real windows: the bookkeeping properties, the raised errors
// and the order in which clients and the previous procedure run.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "WinTestSupport.h"
#include "host/Form.h"
#include "host/PanorelError.h"
#include "winsupport/MSubclass.h"
#include "winsupport/SubclassNames.h"

namespace panorel::test {
namespace {

constexpr UINT kProbeMsg = WM_APP + 1;
constexpr LRESULT kPreviousResult = 77;
std::string g_log;  // who ran, in order: "a?0" a client asked, "a" its procedure, "prev" the previous one

void Note(const std::string& entry) { g_log += (g_log.empty() ? "" : " ") + entry; }

// The window subclassed; its own procedure is "prev".
struct Probe : host::Form {
    Probe() : Form(L"PanorelSubclassProbe") {}
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg != kProbeMsg && msg != kProbeMsg + 1) return false;
        Note("prev");
        result = kPreviousResult;
        return true;
    }
};

struct Client : ISubclass {
    Client(std::string n, std::int32_t answer, LRESULT value) : name(std::move(n)), response(answer), result(value) {}
    std::int32_t MsgResponse(std::int32_t& CurrentMessage) override {
        Note(name + "?" + std::to_string(CurrentMessage - kProbeMsg));
        return response;
    }
    LRESULT WindowProc(HWND, UINT, WPARAM, LPARAM) override {
        Note(name);
        return result;
    }
    std::string name;
    std::int32_t response;
    LRESULT result;
};

// The first client decides pre- and the last post-processing; then detaching
// the first client moves the others down a place, the second one is asked
// first, and the last one gone restores the window's procedure. Misuse after.
TEST(Subclassing, ClientsRunInOrderDetachingMovesTheOthersDownAndMisuseRaisesNumberedErrors) {
    std::optional<Probe> probe{std::in_place};
    const HWND hwnd = probe->hWnd();
    const auto h = static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(hwnd));
    const auto prop = [&](const std::wstring& name) {
        return reinterpret_cast<std::intptr_t>(::GetPropW(hwnd, name.c_str()));
    };
    const auto send = [&](UINT msg = kProbeMsg) {
        g_log.clear();
        return ::SendMessageW(hwnd, msg, 0, 0);
    };
    const auto original = ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
    const struct {
        std::vector<std::pair<std::int32_t, LRESULT>> clients;  // response and result of a, b, c
        LRESULT expected;
        const char* log;
    } cases[] = {
        {{{2, 5}}, 5, "a?0 prev a a?0"},                         // pre-process: the client's result counts
        {{{1, 5}}, kPreviousResult, "a?0 a a?0 prev"},           // post-process: the previous result counts
        {{{0, 5}}, 5, "a?0 a a?0"},                              // replace: the previous procedure never runs
        {{{0, 1}, {2, 2}, {1, 3}}, kPreviousResult, "a?0 a b c c?0 prev"},  // the middle one is not asked
        {{{2, 1}, {1, 2}, {0, 3}}, 3, "a?0 prev a b c c?0"},
        {{{2, 1}, {1, 2}}, 2, "a?0 prev a b b?0"},  // pre-processed already: no second call after
    };
    for (const auto& c : cases) {
        std::vector<std::unique_ptr<Client>> clients;
        for (const auto& [response, result] : c.clients) {
            clients.push_back(std::make_unique<Client>(std::string(1, 'a' + clients.size()), response, result));
            AttachMessage(clients.back().get(), hwnd, kProbeMsg);
        }
        EXPECT_EQ(send(), c.expected) << c.log;
        EXPECT_EQ(g_log, c.log);
        EXPECT_EQ(send(kProbeMsg + 1), kPreviousResult) << "other messages go straight through";
        EXPECT_EQ(g_log, "prev");

        DetachMessage(clients[0].get(), hwnd, kProbeMsg);
        for (std::size_t i = 1; i <= clients.size(); ++i) {
            const ISubclass* moved = i < clients.size() ? clients[i].get() : nullptr;
            EXPECT_EQ(prop(SubclassClientName(h, kProbeMsg, static_cast<std::int32_t>(i))),
                      reinterpret_cast<std::intptr_t>(moved)) << c.log << ", client " << i;
        }
        send();
        EXPECT_EQ(g_log.substr(0, 3), clients.size() > 1 ? "b?0" : "pre") << c.log;
        for (std::size_t i = 1; i < clients.size(); ++i) DetachMessage(clients[i].get(), hwnd, kProbeMsg);
        EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC), original);
        EXPECT_EQ(prop(SubclassWindowCountName(h)), 0);
        EXPECT_EQ(send(), kPreviousResult);
    }

    Client a("a", 0, 0);
    AttachMessage(&a, hwnd, kProbeMsg);
    const auto attach = [&](HWND to) { return Raised([&] { AttachMessage(&a, to, kProbeMsg); }); };
    EXPECT_EQ(attach(hwnd), "13082 Message already handled by another class (winsupport_win_tests.WindowProc)");
    EXPECT_EQ(prop(SubclassMessageCountName(h, kProbeMsg)), 1) << "the refused client is not counted";

    const HWND other = ::FindWindowW(L"Shell_TrayWnd", nullptr);  // the session shell's taskbar
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(attach(other), "13084 Can't modify external window (winsupport_win_tests.WindowProc)");

    probe.reset();
    EXPECT_EQ(attach(hwnd), "13083 Invalid window (winsupport_win_tests.WindowProc)");
}

}  // namespace
}  // namespace panorel::test
