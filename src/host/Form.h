#pragma once
// A top-level window in the manner of a classic form: created hidden on the
// first request for its handle, which also runs its load handler; unloading
// asks the query-unload handler first and then destroys the window. Forms
// are borderless popups; their children's places are in pixels.
#include <windows.h>

#include <string>
#include <vector>

#include "host/Controls.h"

namespace panorel::host {

class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // The window handle; the first call creates the window and runs Form_Load.
    HWND hWnd();
    void Load() { hWnd(); }
    bool IsLoaded() const noexcept { return hwnd_ != nullptr; }
    // Runs Form_QueryUnload, destroys the window, then runs Form_Unload.
    void Unload();

    void Show();
    void Hide();
    bool Visible() const;
    void SetCaption(const std::wstring& caption);
    std::wstring Caption() const;
    // Inner size in pixels.
    int ScaleWidth() const;
    int ScaleHeight() const;
    // Position and outer size in pixels; runs Form_Resize when the size changes.
    void Move(int left, int top, int width, int height);
    // The child controls in control order.
    const std::vector<Control*>& Controls() const noexcept { return controls_; }

protected:
    explicit Form(std::wstring className, DWORD exStyle = 0);

    // Adds a control (owned by the derived form) to the collection.
    template <class C>
    C& AddControl(C& control) {
        controls_.push_back(&control);
        return control;
    }

    virtual void Form_Load() {}
    virtual void Form_QueryUnload() {}
    virtual void Form_Unload() {}
    virtual void Form_Resize() {}
    // Messages not handled by the framework; return true when handled.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    std::wstring className_;
    DWORD exStyle_;
    HWND hwnd_ = nullptr;
    bool unloading_ = false;
    std::vector<Control*> controls_;
};

// Lets the window messages that are waiting now run once, then returns.
// Both loops route the containers' access keys, Enter and Escape first.
void DoEvents();
// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace panorel::host
