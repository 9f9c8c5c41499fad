#include "stylebutton/ButtonPicture.h"

namespace panorel {

// Until the image library is part of the build, the image object holds nothing.
struct ButtonPicture::Image {};

ButtonPicture::ButtonPicture() : image_(std::make_unique<Image>()) {}
ButtonPicture::~ButtonPicture() = default;

bool ButtonPicture::LoadResource(const std::wstring&, const std::wstring&) { return false; }
bool ButtonPicture::HasImage() const { return false; }
std::int32_t ButtonPicture::Width() const { return 0; }
std::int32_t ButtonPicture::Height() const { return 0; }
void ButtonPicture::Draw(HDC, std::int32_t, std::int32_t, bool) {}

}  // namespace panorel
