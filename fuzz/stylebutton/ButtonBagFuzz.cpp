// A saved property bag is hostile input: any bytes must load into some bag,
// the button must read every key from it, and what it then saves must load
// and read back to the same properties.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/PropertyBag.h"
#include "stylebutton/ButtonModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace panorel;
    const host::FontDesc hostFont{L"MS Sans Serif", 8.25};
    // Behind the magic, so that every input reaches the entries.
    const std::string bytes = "PBAG1" + std::string(reinterpret_cast<const char*>(data), size);
    const host::PropertyBag bag = host::PropertyBag::Load(bytes);
    stylebutton::ButtonModel model;
    model.ReadProperties(bag, hostFont);
    host::PropertyBag saved;
    model.WriteProperties(saved, hostFont);
    stylebutton::ButtonModel again;
    again.ReadProperties(host::PropertyBag::Load(saved.Save()), hostFont);
    host::PropertyBag resaved;
    again.WriteProperties(resaved, hostFont);
    if (resaved.Save() != saved.Save()) __builtin_trap();
    return 0;
}
