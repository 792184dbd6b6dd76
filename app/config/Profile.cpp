#include "Profile.h"

#include <sstream>

#include <pugixml.hpp>

#include "ParamKeys.h"

namespace {

constexpr char kRootName[] = "RadarProfile";
constexpr char kFirmwareName[] = "Firmware";
constexpr char kNoteName[] = "Note";

ProfileReadResult Failure(ProfileError error, std::string text, std::string key = std::string()) {
    ProfileReadResult result;
    result.error = error;
    result.key = std::move(key);
    result.text = std::move(text);
    return result;
}

pugi::xml_node ChildNoCase(pugi::xml_node parent, const char* name) {
    for (pugi::xml_node node = parent.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element && EqualsNoCase(node.name(), name)) return node;
    }
    return pugi::xml_node();
}

// The one top-level element, or the error that there is none or several.
ProfileReadResult FindRoot(const pugi::xml_document& doc, pugi::xml_node& root) {
    for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element) continue;
        if (root) return Failure(ProfileError::SeveralRoots, node.name());
        root = node;
    }
    if (!root) return Failure(ProfileError::NoRoot, std::string());
    if (!EqualsNoCase(root.name(), kRootName)) return Failure(ProfileError::NoRoot, root.name());
    return ProfileReadResult();
}

// A note's line ends as LF: the file keeps a CR only as "&#13;", which a
// save writes back bare and the next read turns into LF.
std::string WithLfLineEnds(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p != '\r')
            out += *p;
        else if (p[1] != '\n')
            out += '\n';
    }
    return out;
}

// A note of nothing but blanks is no note: written as text it would read back
// empty, as the parser drops text that is only white space.
std::string NoteText(const char* text) {
    const std::string note = WithLfLineEnds(text);
    return note.find_first_not_of(" \t\n") == std::string::npos ? std::string() : note;
}

}  // namespace

ProfileReadResult ReadProfile(const void* data, size_t size, RadarParam& param) {
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        data && size > 0 ? doc.load_buffer(data, size, pugi::parse_default, pugi::encoding_auto) : doc.load_string("");
    // An empty file or one of comments only parses as "no element".
    if (!parsed && parsed.status != pugi::status_no_document_element) {
        return Failure(ProfileError::NotXml,
                       std::string(parsed.description()) + " at byte " + std::to_string(parsed.offset));
    }
    pugi::xml_node root;
    ProfileReadResult result = FindRoot(doc, root);
    if (!result.Ok()) return result;

    // Into a copy, so an error halfway leaves the caller's record whole.
    RadarParam read = param;
    for (const ParamKey* key : ModuleKeys()) {
        const pugi::xml_attribute attr = FindAttributeNoCase(root, key->name);
        if (!attr) continue;
        switch (ParseKeyText(*key, attr.value(), true, read)) {
        case KeyParse::Stored: break;
        case KeyParse::NotANumber: return Failure(ProfileError::NotANumber, attr.value(), key->name);
        case KeyParse::OutOfRange: return Failure(ProfileError::OutOfRange, attr.value(), key->name);
        }
    }
    result.firmware = FindAttributeNoCase(root, kFirmwareName).value();
    result.note = NoteText(ChildNoCase(root, kNoteName).text().get());
    param = read;
    return result;
}

std::string WriteProfile(const RadarParam& param, const ProfileInfo& info) {
    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version").set_value("1.0");
    pugi::xml_node root = doc.append_child(kRootName);
    if (!info.firmware.empty()) root.append_attribute(kFirmwareName).set_value(info.firmware.c_str());
    WriteKeyAttributes(root, ModuleKeys(), param);
    if (!info.note.empty()) root.append_child(kNoteName).text().set(info.note.c_str());
    std::ostringstream out;
    doc.save(out, "\t", pugi::format_indent | pugi::format_indent_attributes, pugi::encoding_utf8);
    return out.str();
}

FileWriteResult SaveProfile(const FilePath& path, const RadarParam& param, const ProfileInfo& info,
                            unsigned long* systemError) {
    return WriteFileReplacing(path, WriteProfile(param, info), systemError);
}

std::string DescribeProfileError(const ProfileReadResult& result) {
    switch (result.error) {
    case ProfileError::None: return std::string();
    case ProfileError::NotXml: return "The profile is not an XML file (" + result.text + ").";
    case ProfileError::NoRoot:
        return result.text.empty() ? "The profile holds no RadarProfile element."
                                   : "The profile's element is " + result.text + ", not RadarProfile.";
    case ProfileError::SeveralRoots: return "The profile holds more than one top-level element (" + result.text + ").";
    case ProfileError::NotANumber: return result.key + ": \"" + result.text + "\" is not a number.";
    case ProfileError::OutOfRange:
        return result.key + ": \"" + result.text + "\" lies outside the range the module accepts.";
    }
    return std::string();
}

std::vector<ProfileDifference> CompareProfiles(const RadarParam& first, const RadarParam& second) {
    std::vector<ProfileDifference> differences;
    for (const ParamKey* key : ModuleKeys()) {
        std::string a = FormatKeyValue(*key, first), b = FormatKeyValue(*key, second);
        if (a != b) differences.push_back({key->name, std::move(a), std::move(b)});
    }
    return differences;
}
