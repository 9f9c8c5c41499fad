#pragma once
// Names of the window properties that hold the subclassing bookkeeping. They
// are built from the decimal text of the 32-bit window handle and message
// number, so any window can carry the records of any number of pairs.
#include <cstdint>
#include <string>

namespace panorel {

// "C" H: how many (client, message) registrations the window has.
std::wstring SubclassWindowCountName(std::int32_t window);
// H: the window procedure in place before subclassing.
std::wstring SubclassPreviousProcName(std::int32_t window);
// H "#" M "C": how many clients are attached to message M.
std::wstring SubclassMessageCountName(std::int32_t window, std::int32_t message);
// H "#" M "#" i: the i-th client of message M, in order of attachment.
std::wstring SubclassClientName(std::int32_t window, std::int32_t message, std::int32_t index);

}  // namespace panorel
