#include "ConfigDocument.h"

#include <cstring>
#include <sstream>

#include "Tavo_Common.h"

namespace {

constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi;

// Converts an attribute's text into its field when the attribute exists and
// holds a number of the field's type; anything else leaves the field.
void ReadKey(pugi::xml_node element, const ParamKey& key, RadarParam& param) {
    pugi::xml_attribute attr = FindAttributeNoCase(element, key.name);
    if (attr) ParseKeyText(key, attr.value(), false, param);
}

}  // namespace

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

int XMLNode::SetIntAttribute(const char* name, int64_t value) {
    SetAttributeText(m_node, name, FormatInt(value).c_str());
    return 1;
}

int XMLNode::SetFloatAttribute(const char* name, float value) {
    SetAttributeText(m_node, name, FormatFloat(value).c_str());
    return 1;
}

void LoadConfigValues(const XMLParser& parser, int32_t& baudRate, RadarParam& param) {
    pugi::xml_node element = parser.FindAppConfig();
    if (!element) return;
    pugi::xml_attribute baud = FindAttributeNoCase(element, "BaudRate");
    if (baud)
        DigtalStringToValue(baud.value(), static_cast<int>(std::strlen(baud.value())), &baudRate, TAVO_VALUE_INT32);
    for (const ParamKey* key : RecordKeys()) ReadKey(element, *key, param);
}

void StoreConfigValues(XMLParser& parser, int32_t baudRate, const RadarParam& param) {
    const pugi::xml_node element = parser.FindAppConfig();
    XMLNode(element).SetIntAttribute("BaudRate", baudRate);
    WriteKeyAttributes(element, SaveLayoutKeys(), param);
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
        SetAttributeText(element, "Language", value);
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
