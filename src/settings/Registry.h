#pragma once
// Typed reads of single registry values. Failures are reported by the result
// and LastErrorText only; nothing is raised or logged.
#include <windows.h>

#include <cstdint>
#include <string>

#include "settings/RegistryData.h"

namespace panorel::Registry {

// Reads `valueName` under `root`\`subKey` if it is stored with type
// `requestedType` and holds no more than `maxBytes`, and converts it. `value`
// is written only on success.
bool ReadValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, std::int32_t requestedType,
               RegistryValue& value, std::uint32_t maxBytes = UINT32_MAX);

// Why the most recent read failed; a success leaves it unchanged.
const std::wstring& LastErrorText();

}  // namespace panorel::Registry
