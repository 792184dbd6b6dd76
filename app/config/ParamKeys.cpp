#include "ParamKeys.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "Tavo_Common.h"

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

constexpr int64_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kIntMax = std::numeric_limits<int32_t>::max();
constexpr int64_t kWide = radarproto::kMaxReplyField16;
constexpr int64_t kNarrow = radarproto::kMaxReplyField8;

// The table stays packed: one entry a line would double its length.
// clang-format off
#define INT_KEY(f, lo, hi) {#f, KeyType::Int, offsetof(RadarParam, f), lo, hi}
#define FLOAT_KEY(f) {#f, KeyType::Float, offsetof(RadarParam, f), 0, 0}

// In the record's order; the ranges are what the module keeps through a write
// and a read back (RadarProtocol.h), the calibration and the report period
// take their type's whole range.
const ParamKey kKeys[] = {
    INT_KEY(nMotionlessRangeMin, 0, kWide), INT_KEY(nMotionlessRangeMax, 0, kWide),
    INT_KEY(nMotionRangeMin, 0, kWide), INT_KEY(nMotionRangeMax, 0, kWide), INT_KEY(nOffTime, 0, kWide),
    INT_KEY(nMotionIIR, 0, kNarrow), INT_KEY(nMotionlessIIR, 0, kNarrow),
    FLOAT_KEY(fMotionNearEndCoef), FLOAT_KEY(fMotionFarEndCoef), FLOAT_KEY(fMotionlessNearEndCoef),
    FLOAT_KEY(fMotionlessFarEndCoef), INT_KEY(nMotionWindowRange, 0, kNarrow),
    INT_KEY(nMotionlessWindowRange, 0, kNarrow), FLOAT_KEY(fKalman1), FLOAT_KEY(fKalman2), FLOAT_KEY(fKalman3),
    FLOAT_KEY(fKalman4), INT_KEY(nDistanceCalibration, kIntMin, kIntMax), INT_KEY(ReportTimeMS, kIntMin, kIntMax),
};

#undef INT_KEY
#undef FLOAT_KEY

const ParamKey* const kRecordOrder[] = {
    &kKeys[0], &kKeys[1], &kKeys[2], &kKeys[3], &kKeys[4], &kKeys[5], &kKeys[6], &kKeys[7], &kKeys[8], &kKeys[9],
    &kKeys[10], &kKeys[11], &kKeys[12], &kKeys[13], &kKeys[14], &kKeys[15], &kKeys[16], &kKeys[17], &kKeys[18],
};

// ReportTimeMS stays last: the module's keys are the layout without it.
const ParamKey* const kSaveLayout[] = {
    &kKeys[0], &kKeys[1], &kKeys[2], &kKeys[3], &kKeys[4], &kKeys[7], &kKeys[8], &kKeys[9], &kKeys[10], &kKeys[5],
    &kKeys[6], &kKeys[11], &kKeys[12], &kKeys[13], &kKeys[14], &kKeys[15], &kKeys[16], &kKeys[17], &kKeys[18],
};
// clang-format on

constexpr size_t kKeyCount = sizeof kKeys / sizeof *kKeys;
static_assert(kKeyCount * 4 == sizeof(RadarParam), "one key per field of the record");
static_assert(sizeof kRecordOrder / sizeof *kRecordOrder == kKeyCount, "every key in the record order");
static_assert(sizeof kSaveLayout / sizeof *kSaveLayout == kKeyCount, "every key in the save layout");

template <typename T>
T& FieldAt(RadarParam& p, size_t offset) {
    return *reinterpret_cast<T*>(reinterpret_cast<char*>(&p) + offset);
}
template <typename T>
const T& FieldAt(const RadarParam& p, size_t offset) {
    return *reinterpret_cast<const T*>(reinterpret_cast<const char*>(&p) + offset);
}

bool Parse(const char* text, void* out, int type) {
    const size_t length = std::strlen(text);
    return length > 0 && DigtalStringToValue(text, static_cast<int>(length), out, type) != 0;
}

}  // namespace

KeyList RecordKeys() { return KeyList(kRecordOrder, kKeyCount); }
KeyList SaveLayoutKeys() { return KeyList(kSaveLayout, kKeyCount); }
KeyList ModuleKeys() { return KeyList(kSaveLayout, kKeyCount - 1); }

KeyParse ParseKeyText(const ParamKey& key, const char* text, bool checkRange, RadarParam& param) {
    if (!text) return KeyParse::NotANumber;
    if (key.type == KeyType::Int) {
        int64_t value = 0;
        if (!Parse(text, &value, TAVO_VALUE_INT64)) return KeyParse::NotANumber;
        const int64_t lo = checkRange ? key.min : kIntMin, hi = checkRange ? key.max : kIntMax;
        if (value < lo || value > hi) return KeyParse::OutOfRange;
        FieldAt<int32_t>(param, key.offset) = static_cast<int32_t>(value);
        return KeyParse::Stored;
    }
    float value = 0;
    if (Parse(text, &value, TAVO_VALUE_FLOAT)) {
        FieldAt<float>(param, key.offset) = value;
        return KeyParse::Stored;
    }
    // A number a double holds but a float does not is beyond the float range.
    double wide = 0;
    return Parse(text, &wide, TAVO_VALUE_DOUBLE) ? KeyParse::OutOfRange : KeyParse::NotANumber;
}

std::string FormatInt(int64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    return text;
}

std::string FormatFloat(float value) {
    // Large enough for every float in "%f" form (FLT_MAX has 39 digits), so
    // no value is ever cut short.
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

std::string FormatKeyValue(const ParamKey& key, const RadarParam& param) {
    return key.type == KeyType::Int ? FormatInt(FieldAt<int32_t>(param, key.offset))
                                    : FormatFloat(FieldAt<float>(param, key.offset));
}

bool EqualsNoCase(const char* a, const char* b) {
    if (!a || !b) return false;
    for (; *a && *b; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b)) return false;
    }
    return *a == *b;
}

pugi::xml_attribute FindAttributeNoCase(pugi::xml_node node, const char* key) {
    for (pugi::xml_attribute attr = node.first_attribute(); attr; attr = attr.next_attribute()) {
        if (EqualsNoCase(attr.name(), key)) return attr;
    }
    return pugi::xml_attribute();
}

void SetAttributeText(pugi::xml_node node, const char* name, const char* text) {
    if (!node) return;
    pugi::xml_attribute attr = FindAttributeNoCase(node, name);
    if (attr) {
        attr.set_value(text);
        return;
    }
    if (node.type() == pugi::node_element || node.type() == pugi::node_declaration) {
        pugi::xml_attribute added = node.append_attribute(name);
        added.set_value(text);
    }
}

void WriteKeyAttributes(pugi::xml_node element, KeyList keys, const RadarParam& param) {
    for (const ParamKey* key : keys) SetAttributeText(element, key->name, FormatKeyValue(*key, param).c_str());
}
