#include "winsupport/TrayRecord.h"

#include <cstring>

#include "host/Rounding.h"

namespace panorel {
namespace {

void Put32(TrayRecordBytes& r, std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) r[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const TrayRecordBytes& r, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(r[offset + i]) << (8 * i);
    return v;
}

}  // namespace

TrayRecordBytes BuildTrayRecord(std::uint32_t window, std::uint32_t icon, std::string_view ansiTip) {
    TrayRecordBytes r{};
    Put32(r, 0, static_cast<std::uint32_t>(kTrayRecordSize));
    Put32(r, 4, window);
    Put32(r, 8, kTrayIconId);
    Put32(r, 12, kTrayFlags);
    Put32(r, 16, kTrayCallbackMessage);
    Put32(r, 20, icon);
    const std::size_t n = ansiTip.size() < kTrayTipChars ? ansiTip.size() : kTrayTipChars;
    if (n) std::memcpy(r.data() + kTrayTipOffset, ansiTip.data(), n);
    return r;
}

TrayRecordFields ReadTrayRecord(const TrayRecordBytes& record) {
    TrayRecordFields f;
    f.size = Get32(record, 0);
    f.window = Get32(record, 4);
    f.id = Get32(record, 8);
    f.flags = Get32(record, 12);
    f.callbackMessage = Get32(record, 16);
    f.icon = Get32(record, 20);
    f.tip.assign(reinterpret_cast<const char*>(record.data() + kTrayTipOffset), kTrayTipChars);
    return f;
}

std::wstring TooltipFieldText(const std::wstring& stored) {
    std::wstring field = stored.substr(0, kTrayTipChars);
    field.resize(kTrayTipChars, L' ');
    return field;
}

TrayMouse MapTrayMessage(std::int32_t message) {
    switch (message) {
    case 513: return {TrayMouseEvent::Down, 1};
    case 514: return {TrayMouseEvent::Up, 1};
    case 515: return {TrayMouseEvent::DblClick, 1};
    case 516: return {TrayMouseEvent::Down, 2};
    case 517: return {TrayMouseEvent::Up, 2};
    case 518: return {TrayMouseEvent::DblClick, 2};
    default: return {};
    }
}

std::int32_t TrayMessageFromX(double x, bool ownerInTwips, double twipsPerPixelX) {
    double v = x;
    if (ownerInTwips) {
        if (!(twipsPerPixelX > 0.0)) return 0;
        v = x / twipsPerPixelX;
    }
    return RoundToInt32(v);
}

}  // namespace panorel
