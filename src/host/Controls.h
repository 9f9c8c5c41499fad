#pragma once
// Child controls of a form: picture boxes (child windows with their own
// persistent device context) and image controls (window-less icon holders).
#include <windows.h>

#include <functional>

namespace panorel::host {

class Form;

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    virtual bool IsPictureBox() const noexcept { return false; }
    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    virtual void Move(int left, int top, int width, int height);
    void Move(int left, int top) { Move(left, top, width_, height_); }

protected:
    Control(int left, int top, int width, int height) : left_(left), top_(top), width_(width), height_(height) {}

    int left_, top_, width_, height_;
};

class PictureBox : public Control {
public:
    // Creates the child window on the parent at once; sizes in pixels.
    PictureBox(HWND parent, int left, int top, int width, int height, COLORREF background = RGB(255, 255, 255));
    ~PictureBox() override;

    bool IsPictureBox() const noexcept override { return true; }
    HWND hWnd() const noexcept { return hwnd_; }
    // The box's own device context, valid for the life of the window (null
    // once the window is destroyed).
    HDC hDC() const noexcept { return dc_; }
    int ScaleWidth() const;
    int ScaleHeight() const;
    using Control::Move;
    void Move(int left, int top, int width, int height) override;
    // Repaints now.
    void Refresh();

    std::function<void()> Paint;
    std::function<void()> Click;
    std::function<void(int button)> MouseUp;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    HDC dc_ = nullptr;
    COLORREF background_;
    bool pressed_ = false;
};

// Holds an icon picture; the icon is shared (loaded with LR_SHARED) and not owned.
class ImageControl : public Control {
public:
    ImageControl() : Control(0, 0, 0, 0) {}
    HICON Picture = nullptr;
};

}  // namespace panorel::host
