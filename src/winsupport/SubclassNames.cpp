#include "winsupport/SubclassNames.h"

namespace panorel {

std::wstring SubclassWindowCountName(std::int32_t window) { return L"C" + std::to_wstring(window); }

std::wstring SubclassPreviousProcName(std::int32_t window) { return std::to_wstring(window); }

std::wstring SubclassMessageCountName(std::int32_t window, std::int32_t message) {
    return std::to_wstring(window) + L"#" + std::to_wstring(message) + L"C";
}

std::wstring SubclassClientName(std::int32_t window, std::int32_t message, std::int32_t index) {
    return std::to_wstring(window) + L"#" + std::to_wstring(message) + L"#" + std::to_wstring(index);
}

}  // namespace panorel
