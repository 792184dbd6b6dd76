// Text helpers: number conversion, splitting, extensions and path joining.
#include "Tavo_Common.h"

#include <charconv>
#include <cstring>
#include <cwchar>
#include <limits>
#include <new>
#include <string>
#include <system_error>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

template <typename T>
bool ParseInteger(const char* first, const char* last, void* out) {
    // from_chars takes no '+'; a '-' in front of an unsigned type is refused by it.
    if (first < last && *first == '+') ++first;
    if (first == last) return false;
    T value{};
    const auto [end, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || end != last) return false;
    std::memcpy(out, &value, sizeof value);
    return true;
}

template <typename T>
bool ParseReal(const char* first, const char* last, void* out) {
    bool negative = false;
    if (first < last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    // Decimal digits only: no "inf", "nan", hexadecimal floats or a second sign.
    if (first == last || !((*first >= '0' && *first <= '9') || *first == '.')) return false;
    T value{};
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || end != last) return false;
    if (negative) value = -value;
    std::memcpy(out, &value, sizeof value);
    return true;
}

template <typename Ch>
bool IsSeparator(Ch c) {
    return c == '\\' || c == '/';
}

template <typename Ch>
int ExtensionOf(const Ch* name, Ch* out, int outChars) {
    if (out == nullptr || outChars <= 0) return 0;
    out[0] = 0;
    if (name == nullptr) return 0;
    const Ch* dot = nullptr;
    for (const Ch* p = name; *p; ++p) {
        if (*p == '.')
            dot = p;
        else if (IsSeparator(*p) || *p == ':')
            dot = nullptr;  // a dot in a folder name is no extension
    }
    if (dot == nullptr) return 1;
    const Ch* ext = dot + 1;
    size_t n = 0;
    while (ext[n]) ++n;
    if (n >= static_cast<size_t>(outChars)) return 0;
    std::memcpy(out, ext, (n + 1) * sizeof(Ch));
    return 1;
}

}  // namespace

extern "C" int DigtalStringToValue(const char* text, int length, void* out, int type) {
    if (text == nullptr || out == nullptr || length <= 0) return 0;
    // Never look past length; an embedded NUL ends the text.
    const void* nul = std::memchr(text, '\0', static_cast<size_t>(length));
    const char* first = text;
    const char* last = nul ? static_cast<const char*>(nul) : text + length;
    while (first < last && IsBlank(*first)) ++first;
    while (last > first && IsBlank(last[-1])) --last;
    switch (type) {
    case TAVO_VALUE_INT8: return ParseInteger<int8_t>(first, last, out);
    case TAVO_VALUE_UINT8: return ParseInteger<uint8_t>(first, last, out);
    case TAVO_VALUE_INT16: return ParseInteger<int16_t>(first, last, out);
    case TAVO_VALUE_UINT16: return ParseInteger<uint16_t>(first, last, out);
    case TAVO_VALUE_INT32: return ParseInteger<int32_t>(first, last, out);
    case TAVO_VALUE_UINT32: return ParseInteger<uint32_t>(first, last, out);
    case TAVO_VALUE_INT64: return ParseInteger<int64_t>(first, last, out);
    case TAVO_VALUE_UINT64: return ParseInteger<uint64_t>(first, last, out);
    case TAVO_VALUE_FLOAT: return ParseReal<float>(first, last, out);
    case TAVO_VALUE_DOUBLE: return ParseReal<double>(first, last, out);
    default: return 0;
    }
}

// The block is one copy of the text in which each split point became a NUL:
// the pieces point into it, so one allocation owns them all.
void* DevideStringByCharListW(const wchar_t* text, int length, const wchar_t* seps, int nseps, int flags,
                              CPtrArrayCtrl* pieces, int maxPieces) {
    if (text == nullptr || pieces == nullptr || length < -1 || maxPieces == 0 || nseps < 0 ||
        (nseps > 0 && seps == nullptr))
        return nullptr;
    const size_t n = length == -1 ? std::wcslen(text) : static_cast<size_t>(length);
    if (n == 0 || n > (1u << 28)) return nullptr;
    wchar_t* block = new (std::nothrow) wchar_t[n + 1];
    if (block == nullptr) return nullptr;
    std::memcpy(block, text, n * sizeof(wchar_t));
    block[n] = L'\0';
    const int added0 = pieces->GetCount();
    int count = 1;
    size_t start = 0;
    for (size_t i = 0; i < n && (maxPieces < 0 || count < maxPieces); ++i) {
        bool split = false;
        for (int s = 0; s < nseps && !split; ++s) split = block[i] == seps[s];
        if (!split) continue;
        block[i] = L'\0';
        if (pieces->AddData(block + start, -1) < 0) goto fail;
        start = i + 1;
        ++count;
    }
    if (pieces->AddData(block + start, -1) < 0) goto fail;
    return block;
fail:
    pieces->RemoveAt(added0, pieces->GetCount() - added0);
    delete[] block;
    return nullptr;
}

extern "C" void Internal_DelArrayW(void* block) { delete[] static_cast<wchar_t*>(block); }

extern "C" int GetFileExtNameA(const char* name, char* out, int outChars) { return ExtensionOf(name, out, outChars); }

extern "C" int GetFileExtNameW(const wchar_t* name, wchar_t* out, int outChars) {
    return ExtensionOf(name, out, outChars);
}

namespace {

// folder + one separator + name into out (260 characters); out may be folder or name.
template <typename Ch>
int CombinePath(Ch* out, const Ch* folder, const Ch* name) {
    if (out == nullptr) return 0;
    try {
        // Build aside first: out may be folder or name.
        std::basic_string<Ch> f = folder ? folder : std::basic_string<Ch>();
        std::basic_string<Ch> n = name ? name : std::basic_string<Ch>();
        std::basic_string<Ch> joined;
        // Absolute: a drive (D:\x) or a network path (\\host\x). A single
        // leading separator is taken as the one that joins.
        const bool absolute =
            (n.size() >= 2 && n[1] == ':') || (n.size() >= 2 && IsSeparator(n[0]) && IsSeparator(n[1]));
        if (absolute || f.empty()) {
            joined = n;
        } else {
            while (f.size() > 1 && IsSeparator(f.back()) && !(f.size() == 3 && f[1] == ':')) f.pop_back();
            size_t skip = 0;
            while (skip < n.size() && IsSeparator(n[skip])) ++skip;
            joined = f;
            if (!IsSeparator(joined.back()) && skip < n.size()) joined += static_cast<Ch>('\\');
            joined.append(n, skip, std::basic_string<Ch>::npos);
        }
        if (joined.size() >= TAVO_MAX_PATH) {
            out[0] = 0;
            return 0;
        }
        std::memcpy(out, joined.c_str(), (joined.size() + 1) * sizeof(Ch));
        return 1;
    } catch (...) {
        out[0] = 0;
        return 0;
    }
}

}  // namespace

extern "C" int CombinePathNameA(char* out, const char* folder, const char* name) {
    return CombinePath(out, folder, name);
}

extern "C" int CombinePathNameW(wchar_t* out, const wchar_t* folder, const wchar_t* name) {
    return CombinePath(out, folder, name);
}
