#include "settings/RegistryWrite.h"

#include <new>
#include <optional>

#include "host/Handles.h"
#include "settings/WinAPIError.h"

namespace panorel::Registry {

namespace {

struct Saved {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
};

std::wstring Reason(LONG code) {
    std::wstring text = SystemErrorText(static_cast<std::uint32_t>(code));
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    return text.empty() ? L"error " + std::to_wstring(code) : text;
}

// What a value holds now, or nothing when it does not exist. False when it
// exists but cannot be read back whole (it could not be restored).
bool Snapshot(HKEY key, const std::wstring& name, std::optional<Saved>& saved, LONG& code) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        Saved s;
        DWORD size = 0;
        code = ::RegQueryValueExW(key, name.c_str(), nullptr, &s.type, nullptr, &size);
        if (code == ERROR_FILE_NOT_FOUND) {
            saved.reset();
            return true;
        }
        if (code != ERROR_SUCCESS && code != ERROR_MORE_DATA) return false;
        try {
            s.data.assign(size, 0);
        } catch (const std::bad_alloc&) {
            code = ERROR_NOT_ENOUGH_MEMORY;
            return false;
        }
        DWORD got = size;
        code = ::RegQueryValueExW(key, name.c_str(), nullptr, &s.type, s.data.empty() ? nullptr : s.data.data(), &got);
        if (code == ERROR_MORE_DATA) continue;  // it grew meanwhile
        if (code != ERROR_SUCCESS) return false;
        s.data.resize(got);
        saved = std::move(s);
        return true;
    }
    return false;
}

LONG Put(HKEY key, const std::wstring& name, const std::optional<Saved>& value) {
    if (!value) {
        const LONG code = ::RegDeleteValueW(key, name.c_str());
        return code == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : code;
    }
    return ::RegSetValueExW(key, name.c_str(), 0, value->type, value->data.empty() ? nullptr : value->data.data(),
                            static_cast<DWORD>(value->data.size()));
}

}  // namespace

bool WriteValues(HKEY root, const std::vector<RegistryChange>& changes, std::wstring& error) {
    struct Step {
        HKEY key;
        std::optional<Saved> before;
    };
    std::vector<std::pair<std::wstring, RegKeyHandle>> keys;
    std::vector<Step> done;
    // done[i] is changes[i]: put back the latest first.
    auto undo = [&] {
        for (std::size_t i = done.size(); i-- > 0;) Put(done[i].key, changes[i].valueName, done[i].before);
    };
    try {
        for (const RegistryChange& c : changes) {
            HKEY key = nullptr;
            for (const auto& k : keys)
                if (k.first == c.subKey) key = k.second.get();
            if (!key) {
                HKEY raw = nullptr;
                const LONG code = ::RegCreateKeyExW(root, c.subKey.c_str(), 0, nullptr, 0,
                                                    KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &raw, nullptr);
                if (code != ERROR_SUCCESS) {
                    undo();
                    error = L"The key " + c.subKey + L" cannot be written: " + Reason(code);
                    return false;
                }
                keys.emplace_back(c.subKey, RegKeyHandle(raw));
                key = raw;
            }
            Step step{key, std::nullopt};
            LONG code = ERROR_SUCCESS;
            if (!Snapshot(key, c.valueName, step.before, code) ||
                (code = Put(key, c.valueName,
                            c.remove ? std::nullopt
                                     : std::optional<Saved>(Saved{static_cast<DWORD>(c.type), c.data}))) !=
                    ERROR_SUCCESS) {
                undo();
                error = L"The value " + c.valueName + L" cannot be written: " + Reason(code);
                return false;
            }
            done.push_back(std::move(step));
        }
    } catch (const std::bad_alloc&) {
        undo();
        error = Reason(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    return true;
}

}  // namespace panorel::Registry
