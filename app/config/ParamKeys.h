// The parameter keys that appConfig.xml and the profiles share: one table of
// the record's fields (name, type, place, accepted range), the number parsing
// and the number formatting, and the attribute reading and writing over them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <pugixml.hpp>

#include "RadarParam.h"

enum class KeyType { Int, Float };

struct ParamKey {
    const char* name;  // the attribute's name, as the record's field
    KeyType type;
    size_t offset;     // into RadarParam
    int64_t min, max;  // what the module accepts (Int); a Float accepts every finite value
};

// A run of keys, in the order a file holds them.
class KeyList {
public:
    KeyList(const ParamKey* const* first, size_t count) : m_first(first), m_count(count) {}
    const ParamKey* const* begin() const { return m_first; }
    const ParamKey* const* end() const { return m_first + m_count; }
    size_t size() const { return m_count; }

private:
    const ParamKey* const* m_first;
    size_t m_count;
};

// The nineteen fields in the record's order (the order appConfig.xml is read in).
KeyList RecordKeys();
// The nineteen fields in appConfig.xml's save layout: the coefficients come
// before the IIR values, as files written by earlier versions have them.
KeyList SaveLayoutKeys();
// The module's eighteen parameters (fields 1 to 18) in the save layout: a profile's keys.
KeyList ModuleKeys();

// What converting a key's text gave. Only Stored changes the record.
enum class KeyParse {
    Stored,
    NotANumber,  // empty, blanks only, not decimal, trailing junk, a fraction for an integer
    OutOfRange,  // a number the field cannot hold, or (when checked) outside [min, max]
};

// Decimal text (blanks around it allowed) into the key's field. checkRange
// refuses integers outside [min, max]; without it only the field type's range
// (int32, finite float) holds.
KeyParse ParseKeyText(const ParamKey& key, const char* text, bool checkRange, RadarParam& param);

// The file's number formats: integers in decimal, floats with six decimals ("%f").
std::string FormatInt(int64_t value);
std::string FormatFloat(float value);
std::string FormatKeyValue(const ParamKey& key, const RadarParam& param);

// First attribute of node whose name equals key in any ASCII case.
pugi::xml_attribute FindAttributeNoCase(pugi::xml_node node, const char* key);
bool EqualsNoCase(const char* a, const char* b);

// Sets the attribute matching name in any case (keeping its place and
// spelling) or appends it; an empty node or one that holds no attributes is
// left alone.
void SetAttributeText(pugi::xml_node node, const char* name, const char* text);
// Writes every key of keys from param into element.
void WriteKeyAttributes(pugi::xml_node element, KeyList keys, const RadarParam& param);
