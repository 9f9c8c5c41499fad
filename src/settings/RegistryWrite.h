#pragma once
// Typed writes beside Registry's reads: a list of values stored or deleted
// all together. The switcher never writes; the control panel does.
#include <windows.h>

#include <string>
#include <vector>

#include "settings/RegistryData.h"

namespace panorel::Registry {

// Applies every change under `root`, creating missing keys. When one fails,
// the values changed before it get back what they held, so that the registry
// is as it was; `error` then names the value and the system's reason.
bool WriteValues(HKEY root, const std::vector<RegistryChange>& changes, std::wstring& error);

}  // namespace panorel::Registry
