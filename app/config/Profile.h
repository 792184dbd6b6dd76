// Parameter profiles: the module's eighteen parameters in a small XML file of
// their own (docs/profiles.md), read over a record, written, compared.
//
// One top-level element RadarProfile; its attributes are the keys of
// appConfig.xml (ModuleKeys) in the same number formats, plus Firmware; the
// free-text note is the text of a child element Note.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ConfigFile.h"
#include "RadarParam.h"

enum class ProfileError {
    None,
    NotXml,        // the parser refused the bytes (text: its reason and the byte offset)
    NoRoot,        // no top-level element, or it is not named RadarProfile (text: the name found)
    SeveralRoots,  // more than one top-level element (text: the second one's name)
    NotANumber,    // key's value is empty or not a number of its type (text: the value)
    OutOfRange,    // key's value lies outside what the module accepts (text: the value)
};

struct ProfileReadResult {
    ProfileError error = ProfileError::None;
    std::string key;       // the key at fault (NotANumber, OutOfRange)
    std::string text;      // the bad value, or what is wrong with the file
    std::string firmware;  // the Firmware attribute; empty when absent
    std::string note;      // the Note element's text, line ends as LF; empty when absent

    bool Ok() const { return error == ProfileError::None; }
};

// What a profile carries beside the parameters.
struct ProfileInfo {
    std::string firmware;  // written only when not empty
    std::string note;      // written only when not empty
};

// Reads a profile file's bytes (encoding detected) over param: each key the
// file holds sets its field, a missing key leaves the field as it was, and
// ReportTimeMS is never touched. Names match in any ASCII case, the first
// match winning; unknown attributes and elements are ignored. On any error
// param is left entirely as it was.
ProfileReadResult ReadProfile(const void* data, size_t size, RadarParam& param);

// The profile file of fields 1 to 18 of param: declaration, one attribute per
// line, UTF-8 without byte-order mark.
std::string WriteProfile(const RadarParam& param, const ProfileInfo& info);
// Writes it to path as the configuration is written (WriteFileReplacing).
FileWriteResult SaveProfile(const FilePath& path, const RadarParam& param, const ProfileInfo& info,
                            unsigned long* systemError = nullptr);

// One line naming the error, its key and the bad text (English; the window
// shows its own string-table text for each ProfileError).
std::string DescribeProfileError(const ProfileReadResult& result);

// A key whose value differs between two records, both values as the file writes them.
struct ProfileDifference {
    std::string key;
    std::string first;
    std::string second;
};

// The keys of fields 1 to 18 whose written values differ, in the file's order.
std::vector<ProfileDifference> CompareProfiles(const RadarParam& first, const RadarParam& second);
