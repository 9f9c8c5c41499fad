#pragma once
// The one place where the styled button meets the image library: the image
// object that holds the picture actually drawn.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace panorel {

class ButtonPicture {
public:
    ButtonPicture();
    ~ButtonPicture();
    ButtonPicture(const ButtonPicture&) = delete;
    ButtonPicture& operator=(const ButtonPicture&) = delete;

    // Loads a picture from the program's resources, 32 bits; icons at
    // iconSize x iconSize.
    bool LoadResource(const std::wstring& id, const std::wstring& section, std::int32_t iconSize);
    bool HasImage() const;
    std::int32_t Width() const;
    std::int32_t Height() const;
    // Draws the whole picture 1:1 at (x, y), in grey or in colour.
    void Draw(HDC dc, std::int32_t x, std::int32_t y, bool grey);

private:
    struct Image;
    std::unique_ptr<Image> image_;
};

}  // namespace panorel
