// Fuzzes loading appConfig.xml: arbitrary file bytes go through the document
// load, the language choice, the value reading, the repair and a save.
// Beyond not crashing:
//   - keys the element does not hold keep their previous values, and no float
//     field ever becomes infinite or NaN (text beyond the float range is
//     refused, never stored as infinity);
//   - the language is always one of the three the tool knows;
//   - what the tool writes back loads again without a parse error, holds an
//     AppConfig element and gives back the same integers and floats within
//     the six decimals they are written with.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "config/ConfigDocument.h"

namespace {

// Field tables stay packed, as the key lists they follow.
// clang-format off
const char* const kIntKeys[] = {"nMotionlessRangeMin", "nMotionlessRangeMax", "nMotionRangeMin", "nMotionRangeMax",
                                "nOffTime", "nMotionIIR", "nMotionlessIIR", "nMotionWindowRange",
                                "nMotionlessWindowRange", "nDistanceCalibration", "ReportTimeMS"};

int32_t* IntFields(RadarParam& p, size_t i) {
    int32_t* fields[] = {&p.nMotionlessRangeMin, &p.nMotionlessRangeMax, &p.nMotionRangeMin, &p.nMotionRangeMax,
                         &p.nOffTime, &p.nMotionIIR, &p.nMotionlessIIR, &p.nMotionWindowRange,
                         &p.nMotionlessWindowRange, &p.nDistanceCalibration, &p.ReportTimeMS};
    return fields[i];
}

const char* const kFloatKeys[] = {"fMotionNearEndCoef", "fMotionFarEndCoef", "fMotionlessNearEndCoef",
                                  "fMotionlessFarEndCoef", "fKalman1", "fKalman2", "fKalman3", "fKalman4"};

float* FloatFields(RadarParam& p, size_t i) {
    float* fields[] = {&p.fMotionNearEndCoef, &p.fMotionFarEndCoef, &p.fMotionlessNearEndCoef,
                       &p.fMotionlessFarEndCoef, &p.fKalman1, &p.fKalman2, &p.fKalman3, &p.fKalman4};
    return fields[i];
}
// clang-format on

bool Holds(pugi::xml_node element, const char* key) {
    return element && FindAttributeNoCase(element, key) && *FindAttributeNoCase(element, key).value();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XMLParser parser;
    parser.LoadFromBuffer(data, size);

    const UiLanguage language = ChooseUiLanguage(GetLanguageValue(parser).c_str());
    Check(language.langId == 0x0409 || language.langId == 0x0404 || language.langId == 0x1004);
    Check(language.resourceLangId == 0x0409 || language.resourceLangId == 0x0804);

    RadarParam before;
    LoadDefaultParameters(before);
    int32_t baud = 256000;
    RadarParam loaded = before;
    LoadConfigValues(parser, baud, loaded);

    const pugi::xml_node element = parser.FindAppConfig();
    if (!Holds(element, "BaudRate")) Check(baud == 256000);
    for (size_t i = 0; i < sizeof kIntKeys / sizeof *kIntKeys; ++i)
        if (!Holds(element, kIntKeys[i])) Check(*IntFields(loaded, i) == *IntFields(before, i));
    for (size_t i = 0; i < sizeof kFloatKeys / sizeof *kFloatKeys; ++i) {
        const float value = *FloatFields(loaded, i);
        Check(std::isfinite(value));
        if (!Holds(element, kFloatKeys[i])) Check(std::memcmp(&value, FloatFields(before, i), sizeof value) == 0);
    }

    // Start-up repairs the element; every save writes all keys.
    parser.RepairAppConfig();
    Check(parser.FindAppConfig());
    StoreConfigValues(parser, baud, loaded);
    const std::string written = parser.Serialize();

    XMLParser again;
    Check(again.LoadFromBuffer(written.data(), written.size()));
    Check(again.FindAppConfig());
    int32_t baudAgain = 0;
    RadarParam reread;
    std::memset(&reread, 0, sizeof reread);
    LoadConfigValues(again, baudAgain, reread);
    Check(baudAgain == baud);
    for (size_t i = 0; i < sizeof kIntKeys / sizeof *kIntKeys; ++i)
        Check(*IntFields(reread, i) == *IntFields(loaded, i));
    for (size_t i = 0; i < sizeof kFloatKeys / sizeof *kFloatKeys; ++i) {
        const double was = *FloatFields(loaded, i), now = *FloatFields(reread, i);
        Check(std::fabs(now - was) <= 1e-6 + 1e-6 * std::fabs(was));
    }
    return 0;
}
