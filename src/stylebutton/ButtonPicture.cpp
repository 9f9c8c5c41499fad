#include "stylebutton/ButtonPicture.h"

#include <cwctype>

#include "imaging/cAlphaImage.h"

namespace panorel {

struct ButtonPicture::Image {
    imaging::cAlphaImage image;
};

ButtonPicture::ButtonPicture() : image_(std::make_unique<Image>()) {}
ButtonPicture::~ButtonPicture() = default;

bool ButtonPicture::LoadResource(const std::wstring& id, const std::wstring& section, std::int32_t iconSize) {
    // A number names a numbered resource, anything else a named one.
    bool numeric = !id.empty() && id.size() < 6;
    for (wchar_t c : id) numeric = numeric && std::iswdigit(static_cast<std::wint_t>(c));
    const imaging::ResourceName name =
        numeric ? imaging::ResourceName(std::stoi(id)) : imaging::ResourceName(id);
    return image_->image.LoadPicture_Resource(name, imaging::ResourceSection(section), nullptr, iconSize, iconSize, 0, 0, 32);
}

bool ButtonPicture::HasImage() const { return image_->image.Handle() != nullptr; }
std::int32_t ButtonPicture::Width() const { return image_->image.Width(); }
std::int32_t ButtonPicture::Height() const { return image_->image.Height(); }

void ButtonPicture::Draw(HDC dc, std::int32_t x, std::int32_t y, bool grey) {
    imaging::cAlphaImage& image = image_->image;
    if (!HasImage()) return;
    image.Render(dc, x, y, image.Width(), image.Height(), 0, 0, image.Width(), image.Height(), 100, true, true,
                 nullptr, grey ? 2 : -1);
}

}  // namespace panorel
