#pragma once
// The semi-transparent background window behind the shown panel; a mouse
// button released on it dismisses the panel.
#include <functional>
#include <memory>

#include "host/Form.h"

namespace panorel {

class FormBg : public host::Form {
public:
    FormBg();
    ~FormBg() override;

    // Hides the switcher window; called before FormBg hides itself.
    std::function<void()> HideSwitcher;

    std::unique_ptr<host::PictureBox> Picture1;

protected:
    void Form_Load() override;
    void Form_Resize() override;

private:
    void CoverScreen();
};

}  // namespace panorel
