#pragma once
// The keyboard layout's name of a virtual key, in the user's keyboard language.
#include <cstdint>
#include <string>

namespace panorel {

// Empty when the key has no name. Pause, Num Lock, Print Screen and the
// keypad divide key are named through fixed scan codes.
std::wstring KeyNameText(std::int32_t vk);

}  // namespace panorel
