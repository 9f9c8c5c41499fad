#pragma once
#include <string>

namespace panorel::host {

// The folder the running program's file lies in, without a trailing
// backslash; empty when the system cannot say.
std::wstring ProgramFolder();

}  // namespace panorel::host
