// The configuration document: appConfig.xml held in memory for the whole run.
//
// One top-level element AppConfig whose attributes hold the settings. Names
// are matched without regard to ASCII case, the first match winning; what the
// tool does not know is kept and written back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include <pugixml.hpp>

#include "ParamKeys.h"
#include "RadarParam.h"

// Holds the document. Exactly one lives for the whole process (gConfigParser).
class XMLParser {
public:
    XMLParser() = default;
    virtual ~XMLParser() = default;
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    pugi::xml_document m_doc;

    // Parses a file's bytes into the document (encoding detected). What the
    // parser kept of a broken file stays; returns false when it was broken.
    bool LoadFromBuffer(const void* data, size_t size);
    // The first top-level element named AppConfig in any case, or an empty node.
    pugi::xml_node FindAppConfig() const;
    // Makes sure an AppConfig element exists. Returns true when one was added
    // (the caller then writes the file at once).
    bool RepairAppConfig();
    // The whole document in the file's layout: declaration, one attribute per
    // line indented by tabs, UTF-8 without byte-order mark.
    std::string Serialize() const;

private:
    // Removes declarations that could not be written back as they were read.
    void DropUnwritableDeclarations();
};

// A handle for writing one element's attributes during a save.
class XMLNode {
public:
    explicit XMLNode(pugi::xml_node node) : m_node(node) {}
    virtual ~XMLNode() = default;

    // Both return 1 in every case; an empty handle writes nothing. The
    // numbers are formatted as ParamKeys.h says.
    int SetIntAttribute(const char* name, int64_t value);
    int SetFloatAttribute(const char* name, float value);

private:
    pugi::xml_node m_node;
};

// Reads BaudRate and the nineteen parameter keys from the document. A missing
// element, attribute or empty value leaves the field as it was; text that is
// not a number of the field's type leaves it too.
void LoadConfigValues(const XMLParser& parser, int32_t& baudRate, RadarParam& param);
// Writes them into the AppConfig element (when there is one): existing
// attributes keep their place and spelling, missing ones are appended in the
// save order.
void StoreConfigValues(XMLParser& parser, int32_t baudRate, const RadarParam& param);

// UI language chosen by the Language attribute (any case): "ENG" English,
// "CHT" traditional Chinese, anything else (also missing) simplified Chinese.
struct UiLanguage {
    uint16_t langId;          // identifier handed to the system's preferred-language list
    uint16_t resourceLangId;  // language of the string resources the tool loads
};
UiLanguage ChooseUiLanguage(const char* languageValue);
// The Language attribute's text, "CHS" without element or attribute.
std::string GetLanguageValue(const XMLParser& parser);
// Sets the Language attribute: an existing one (any case) keeps its place and
// spelling, a missing one is appended; a null value removes it. Returns the
// text it had, nullopt when there was none (or no AppConfig element), so a
// choice whose save failed can be taken back.
std::optional<std::string> SetLanguageValue(XMLParser& parser, const char* value);
