#include "ConfigDocument.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "Tavo_Common.h"

namespace {

constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

enum class KeyType { Int, Float };

struct ConfigKey {
    const char* name;
    KeyType type;
    size_t offset;  // into RadarParam
};

// Key tables stay packed: one entry a line would repeat the same list twice.
// clang-format off
#define INT_KEY(f) {#f, KeyType::Int, offsetof(RadarParam, f)}
#define FLOAT_KEY(f) {#f, KeyType::Float, offsetof(RadarParam, f)}

// Read order of the record keys (BaudRate comes first, outside the record).
const ConfigKey kLoadOrder[] = {
    INT_KEY(nMotionlessRangeMin), INT_KEY(nMotionlessRangeMax), INT_KEY(nMotionRangeMin),
    INT_KEY(nMotionRangeMax), INT_KEY(nOffTime), INT_KEY(nMotionIIR), INT_KEY(nMotionlessIIR),
    FLOAT_KEY(fMotionNearEndCoef), FLOAT_KEY(fMotionFarEndCoef), FLOAT_KEY(fMotionlessNearEndCoef),
    FLOAT_KEY(fMotionlessFarEndCoef), INT_KEY(nMotionWindowRange), INT_KEY(nMotionlessWindowRange),
    FLOAT_KEY(fKalman1), FLOAT_KEY(fKalman2), FLOAT_KEY(fKalman3), FLOAT_KEY(fKalman4),
    INT_KEY(nDistanceCalibration), INT_KEY(ReportTimeMS),
};

// Save order: the coefficients come before the IIR values, as files written
// by earlier versions have them.
const ConfigKey kSaveOrder[] = {
    INT_KEY(nMotionlessRangeMin), INT_KEY(nMotionlessRangeMax), INT_KEY(nMotionRangeMin),
    INT_KEY(nMotionRangeMax), INT_KEY(nOffTime), FLOAT_KEY(fMotionNearEndCoef),
    FLOAT_KEY(fMotionFarEndCoef), FLOAT_KEY(fMotionlessNearEndCoef), FLOAT_KEY(fMotionlessFarEndCoef),
    INT_KEY(nMotionIIR), INT_KEY(nMotionlessIIR), INT_KEY(nMotionWindowRange),
    INT_KEY(nMotionlessWindowRange), FLOAT_KEY(fKalman1), FLOAT_KEY(fKalman2), FLOAT_KEY(fKalman3),
    FLOAT_KEY(fKalman4), INT_KEY(nDistanceCalibration), INT_KEY(ReportTimeMS),
};

#undef INT_KEY
#undef FLOAT_KEY
// clang-format on

template <typename T>
T& FieldAt(RadarParam& p, size_t offset) {
    return *reinterpret_cast<T*>(reinterpret_cast<char*>(&p) + offset);
}
template <typename T>
const T& FieldAt(const RadarParam& p, size_t offset) {
    return *reinterpret_cast<const T*>(reinterpret_cast<const char*>(&p) + offset);
}

// Converts an attribute's text into dest when the attribute exists and is not empty.
void ReadKey(pugi::xml_node element, const char* key, void* dest, int type) {
    pugi::xml_attribute attr = FindAttributeNoCase(element, key);
    if (!attr) return;
    const char* text = attr.value();
    size_t length = std::strlen(text);
    if (length == 0) return;
    DigtalStringToValue(text, static_cast<int>(length), dest, type);
}

}  // namespace

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

void LoadDefaultParameters(RadarParam& p) { StoreModuleParameters(radarproto::ModuleParameters(), p); }

bool XMLParser::LoadFromBuffer(const void* data, size_t size) {
    m_doc.reset();
    if (!data || size == 0) return true;
    pugi::xml_parse_result parsed = m_doc.load_buffer(data, size, kParseOptions, pugi::encoding_auto);
    // The file is always written back as UTF-8; a kept declaration must not
    // claim another encoding.
    pugi::xml_node decl = m_doc.first_child();
    if (decl.type() == pugi::node_declaration) {
        pugi::xml_attribute enc = FindAttributeNoCase(decl, "encoding");
        if (enc && !EqualsNoCase(enc.value(), "UTF-8")) enc.set_value("UTF-8");
    }
    DropUnwritableDeclarations();
    return static_cast<bool>(parsed);
}

void XMLParser::DropUnwritableDeclarations() {
    // A declaration ends at the first "?>", and attribute values are written
    // without escaping it: a value holding it would end the declaration early
    // in the saved file and make the next start lose the settings.
    for (pugi::xml_node node = m_doc.first_child(); node;) {
        pugi::xml_node next = node.next_sibling();
        if (node.type() == pugi::node_declaration) {
            for (pugi::xml_attribute attr = node.first_attribute(); attr; attr = attr.next_attribute()) {
                if (std::strstr(attr.value(), "?>")) {
                    m_doc.remove_child(node);
                    break;
                }
            }
        }
        node = next;
    }
}

pugi::xml_node XMLParser::FindAppConfig() const {
    for (pugi::xml_node node = m_doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element && EqualsNoCase(node.name(), "AppConfig")) return node;
    }
    return pugi::xml_node();
}

bool XMLParser::RepairAppConfig() {
    if (FindAppConfig()) return false;
    m_doc.append_child("AppConfig");
    return true;
}

std::string XMLParser::Serialize() const {
    std::ostringstream out;
    m_doc.save(out, "\t", pugi::format_indent | pugi::format_indent_attributes, pugi::encoding_utf8);
    return out.str();
}

void XMLNode::SetText(const char* name, const char* text) {
    if (!m_node) return;
    pugi::xml_attribute attr = FindAttributeNoCase(m_node, name);
    if (attr) {
        attr.set_value(text);
        return;
    }
    if (m_node.type() == pugi::node_element || m_node.type() == pugi::node_declaration) {
        pugi::xml_attribute added = m_node.append_attribute(name);
        added.set_value(text);
    }
}

int XMLNode::SetIntAttribute(const char* name, int64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    SetText(name, text);
    return 1;
}

int XMLNode::SetFloatAttribute(const char* name, float value) {
    // Large enough for every float in "%f" form (FLT_MAX has 39 digits), so
    // no value is ever cut short.
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    SetText(name, text);
    return 1;
}

void LoadConfigValues(const XMLParser& parser, int32_t& baudRate, RadarParam& param) {
    pugi::xml_node element = parser.FindAppConfig();
    if (!element) return;
    ReadKey(element, "BaudRate", &baudRate, TAVO_VALUE_INT32);
    for (const ConfigKey& key : kLoadOrder) {
        if (key.type == KeyType::Int)
            ReadKey(element, key.name, &FieldAt<int32_t>(param, key.offset), TAVO_VALUE_INT32);
        else
            ReadKey(element, key.name, &FieldAt<float>(param, key.offset), TAVO_VALUE_FLOAT);
    }
}

void StoreConfigValues(XMLParser& parser, int32_t baudRate, const RadarParam& param) {
    XMLNode node(parser.FindAppConfig());
    node.SetIntAttribute("BaudRate", baudRate);
    for (const ConfigKey& key : kSaveOrder) {
        if (key.type == KeyType::Int)
            node.SetIntAttribute(key.name, FieldAt<int32_t>(param, key.offset));
        else
            node.SetFloatAttribute(key.name, FieldAt<float>(param, key.offset));
    }
}

std::string GetLanguageValue(const XMLParser& parser) {
    pugi::xml_node element = parser.FindAppConfig();
    if (!element) return "CHS";
    pugi::xml_attribute attr = FindAttributeNoCase(element, "Language");
    if (!attr) return "CHS";
    return attr.value();
}

std::optional<std::string> SetLanguageValue(XMLParser& parser, const char* value) {
    pugi::xml_node element = parser.FindAppConfig();
    if (!element) return std::nullopt;
    pugi::xml_attribute attr = FindAttributeNoCase(element, "Language");
    std::optional<std::string> previous;
    if (attr) previous = attr.value();
    if (!value) {
        if (attr) element.remove_attribute(attr);
    } else {
        XMLNode(element).SetText("Language", value);
    }
    return previous;
}

UiLanguage ChooseUiLanguage(const char* value) {
    constexpr uint16_t kEnglishUs = 0x0409;
    constexpr uint16_t kChineseTraditional = 0x0404;
    constexpr uint16_t kChineseSingapore = 0x1004;
    constexpr uint16_t kChineseSimplified = 0x0804;  // 2052: the tool's own resources
    if (EqualsNoCase(value, "ENG")) return {kEnglishUs, kEnglishUs};
    // No traditional-Chinese resources exist: strings fall back to simplified.
    if (EqualsNoCase(value, "CHT")) return {kChineseTraditional, kChineseSimplified};
    return {kChineseSingapore, kChineseSimplified};
}
