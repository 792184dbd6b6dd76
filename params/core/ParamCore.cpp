#include "ParamCore.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>
#include <type_traits>

namespace {

bool IsBlank(unsigned long c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(unsigned long c) { return c >= '0' && c <= '9'; }

// Compile-time character type: char or wchar_t, compared as code values so a
// signed char above 0x7F never looks like an ASCII character.
template <typename Char>
unsigned long Code(Char c) {
    return static_cast<unsigned long>(static_cast<typename std::make_unsigned<Char>::type>(c));
}

template <typename Char>
double TextToNumber(const Char* text) {
    if (!text) return 0.0;
    const Char* p = text;
    while (IsBlank(Code(*p))) ++p;

    bool negative = false;
    if (Code(*p) == '+' || Code(*p) == '-') {
        negative = Code(*p) == '-';
        ++p;
    }
    // Mantissa: digits, optionally a point and more digits; at least one digit.
    std::string number;       // ASCII copy without sign, for the locale-free conversion
    long long magnitude = 0;  // decimal position of the first significant digit, for range errors
    bool significant = false;
    long long integerDigits = 0, leadingFractionZeros = 0;
    size_t digits = 0;
    for (; IsDigit(Code(*p)); ++p, ++digits) {
        number += static_cast<char>(Code(*p));
        if (significant || Code(*p) != '0') {
            significant = true;
            ++integerDigits;
        }
    }
    if (Code(*p) == '.') {
        const Char* after = p + 1;
        if (digits > 0 || IsDigit(Code(*after))) {
            number += '.';
            p = after;
            for (; IsDigit(Code(*p)); ++p, ++digits) {
                number += static_cast<char>(Code(*p));
                if (!significant) {
                    if (Code(*p) == '0')
                        ++leadingFractionZeros;
                    else
                        significant = true;
                }
            }
        }
    }
    if (digits == 0) return 0.0;

    // Exponent: only when at least one digit follows "e" and its sign.
    long long exponent = 0;
    if (Code(*p) == 'e' || Code(*p) == 'E') {
        const Char* q = p + 1;
        bool negativeExponent = false;
        if (Code(*q) == '+' || Code(*q) == '-') {
            negativeExponent = Code(*q) == '-';
            ++q;
        }
        if (IsDigit(Code(*q))) {
            number += 'e';
            if (negativeExponent) number += '-';
            for (; IsDigit(Code(*q)); ++q) {
                number += static_cast<char>(Code(*q));
                // Saturate: only whether it is huge matters for the range decision.
                if (exponent < 100000000) exponent = exponent * 10 + static_cast<long long>(Code(*q) - '0');
            }
            if (negativeExponent) exponent = -exponent;
        }
    }

    if (!significant) return negative ? -0.0 : 0.0;
    magnitude = (integerDigits > 0 ? integerDigits : -leadingFractionZeros) + exponent;

    double value = 0.0;
    const std::from_chars_result parsed =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    if (parsed.ec == std::errc::result_out_of_range) {
        // Overflow when the first significant digit stands far left of the
        // point, underflow otherwise.
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (parsed.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

}  // namespace

uint16_t ParseParamResponse(int hasStatus, const uint8_t* data, int length, void* context) {
    if (length != kParamReplyLength || !data || !context) return kParamReplyUnusable;
    const uint8_t* f = data;
    if (hasStatus) {
        const uint16_t status = radarproto::GetLe16(data);
        if (status != 0) return status;
        f = data + radarproto::kParameterFieldsOffset;
    }
    // Decode everything first, then store at once: the record is never half-filled.
    RadarParam& record = *static_cast<RadarParam*>(context);
    RadarParam read = record;
    StoreModuleParameters(radarproto::DecodeParameterFields(f), read);
    record = read;
    return 0;
}

double EditTextToNumber(const wchar_t* text) { return TextToNumber(text); }
double EditTextToNumber(const char* text) { return TextToNumber(text); }

int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);  // conversion cuts toward zero
}

namespace {

ParamWriteGroup Group(uint16_t code, const RadarParam& param) {
    ParamWriteGroup group;
    group.code = code;
    group.count = static_cast<int>(radarproto::ParameterWriteValues(code, ModuleParametersOf(param), group.values));
    for (int id = 0; id < group.count; ++id) group.ids[id] = static_cast<uint16_t>(id);
    return group;
}

}  // namespace

ParamWriteGroup GeneralWriteGroup(const RadarParam& p) { return Group(radarproto::kWriteGeneral, p); }

ParamWriteGroup CalibrationWriteGroup(const RadarParam& p) { return Group(radarproto::kWriteCalibration, p); }

std::array<ParamWriteGroup, 6> AllWriteGroups(const RadarParam& p) {
    static_assert(sizeof radarproto::kWriteCodes / sizeof radarproto::kWriteCodes[0] == 6, "six write codes");
    std::array<ParamWriteGroup, 6> groups;
    for (size_t i = 0; i < groups.size(); ++i) groups[i] = Group(radarproto::kWriteCodes[i], p);
    return groups;
}
