#pragma once
// The entry routine of Spacehost.exe.
#include <functional>

namespace panorel {

class mainW;

// Creates and loads the switcher window and lives on its message loop; the
// process's exit code. `beforeLoad` gives a test build its seams on the window.
int Main(const std::function<void(mainW&)>& beforeLoad = {});

}  // namespace panorel
