// Ordering of serial-port names.
#include "CommonInternal.h"

#include <algorithm>
#include <cwctype>

namespace tavo_common {

namespace {
struct PortKey {
    std::wstring prefix;  // upper-cased text before the trailing digits
    bool hasNumber = false;
    unsigned long long number = 0;
    std::wstring original;
};

PortKey KeyOf(const std::wstring& name) {
    PortKey key;
    key.original = name;
    size_t digits = name.size();
    while (digits > 0 && iswdigit(name[digits - 1])) --digits;
    for (size_t i = 0; i < digits; ++i) key.prefix += static_cast<wchar_t>(towupper(name[i]));
    // Up to 18 digits fit; longer runs sort by their text only.
    if (digits < name.size() && name.size() - digits <= 18) {
        key.hasNumber = true;
        for (size_t i = digits; i < name.size(); ++i)
            key.number = key.number * 10 + static_cast<unsigned>(name[i] - L'0');
    } else {
        key.prefix = name;
    }
    return key;
}
}  // namespace

void SortPortNames(std::vector<std::wstring>& names) {
    std::vector<PortKey> keys;
    keys.reserve(names.size());
    for (const auto& n : names) keys.push_back(KeyOf(n));
    std::sort(keys.begin(), keys.end(), [](const PortKey& a, const PortKey& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        if (a.hasNumber != b.hasNumber) return a.hasNumber;
        if (a.number != b.number) return a.number < b.number;
        return a.original < b.original;
    });
    names.clear();
    for (auto& k : keys)
        if (names.empty() || names.back() != k.original) names.push_back(std::move(k.original));
}

}  // namespace tavo_common
