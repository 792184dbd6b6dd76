// Fuzzes the parameter dialog's decoders of outside input. The first byte
// picks what the rest is:
//   0: a raw reply to the read command (next byte: hasStatus), handed to
//      ParseParamResponse. A reply of the wrong length or with a failing
//      status leaves the record untouched and says so; a decoded one never
//      touches ReportTimeMS and its 8- and 16-bit fields stay in their width.
//   1: the module's parameters, encoded as the simulated module encodes its
//      reply, decoded again: every field arrives as the reply's width allows.
//   2: edit text, as narrow and as wide characters. Both give the same
//      number, never NaN; blanks in front and a non-number character behind
//      change nothing; TruncateToInt32 stays the number cut toward zero.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "ParamCore.h"
#include "RadarProtocol.h"

namespace {

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

RadarParam Sentinel() {
    RadarParam p;
    std::memset(&p, 0x5A, sizeof p);
    p.ReportTimeMS = 12345;
    return p;
}

void RawReply(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const int hasStatus = data[0] & 1;
    const uint8_t* reply = data + 1;
    const int length = static_cast<int>(size - 1);
    RadarParam record = Sentinel();
    const uint16_t result = ParseParamResponse(hasStatus, length ? reply : nullptr, length, &record);
    const RadarParam untouched = Sentinel();
    if (length != kParamReplyLength) Check(result == kParamReplyUnusable);
    if (result != 0) {
        Check(std::memcmp(&record, &untouched, sizeof record) == 0);
        if (length == kParamReplyLength && hasStatus) Check(result == (reply[0] | reply[1] << 8));
        return;
    }
    Check(record.ReportTimeMS == 12345);
    for (int32_t v : {record.nMotionRangeMax, record.nMotionRangeMin, record.nMotionlessRangeMax,
                      record.nMotionlessRangeMin, record.nOffTime})
        Check(v >= 0 && v <= 0xFFFF);
    for (int32_t v :
         {record.nMotionIIR, record.nMotionlessIIR, record.nMotionWindowRange, record.nMotionlessWindowRange})
        Check(v >= 0 && v <= 0xFF);
    // No record, no data: refused, never a crash.
    Check(ParseParamResponse(hasStatus, reply, length, nullptr) == kParamReplyUnusable);
}

void EncodedParameters(const uint8_t* data, size_t size) {
    radarproto::ModuleParameters p;
    uint8_t cells[sizeof p] = {};
    std::memcpy(cells, data, size < sizeof cells ? size : sizeof cells);
    std::memcpy(&p, cells, sizeof p);
    const std::vector<uint8_t> reply = radarproto::EncodeParameterReply(0, p);
    Check(reply.size() == static_cast<size_t>(kParamReplyLength));
    RadarParam record = Sentinel();
    Check(ParseParamResponse(1, reply.data(), static_cast<int>(reply.size()), &record) == 0);
    Check(record.nMotionRangeMax == (p.motionRangeMax & 0xFFFF));
    Check(record.nMotionRangeMin == (p.motionRangeMin & 0xFFFF));
    Check(record.nMotionlessRangeMax == (p.motionlessRangeMax & 0xFFFF));
    Check(record.nMotionlessRangeMin == (p.motionlessRangeMin & 0xFFFF));
    Check(record.nOffTime == (p.offTime & 0xFFFF));
    Check(record.nMotionIIR == (p.motionIIR & 0xFF));
    Check(record.nMotionlessIIR == (p.motionlessIIR & 0xFF));
    Check(record.nMotionWindowRange == (p.motionWindowRange & 0xFF));
    Check(record.nMotionlessWindowRange == (p.motionlessWindowRange & 0xFF));
    Check(SameBits(record.fMotionNearEndCoef, p.motionNearEndCoef));
    Check(SameBits(record.fMotionFarEndCoef, p.motionFarEndCoef));
    Check(SameBits(record.fMotionlessNearEndCoef, p.motionlessNearEndCoef));
    Check(SameBits(record.fMotionlessFarEndCoef, p.motionlessFarEndCoef));
    Check(SameBits(record.fKalman1, p.kalman[0]) && SameBits(record.fKalman2, p.kalman[1]));
    Check(SameBits(record.fKalman3, p.kalman[2]) && SameBits(record.fKalman4, p.kalman[3]));
    Check(record.nDistanceCalibration == p.distanceCalibration);
    Check(record.ReportTimeMS == 12345);
}

bool SameNumber(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void EditText(const uint8_t* data, size_t size) {
    const std::string narrow(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    std::wstring wide;
    for (unsigned char c : narrow) wide += static_cast<wchar_t>(c);

    const double value = EditTextToNumber(narrow.c_str());
    Check(!std::isnan(value));
    Check(SameNumber(value, EditTextToNumber(wide.c_str())));
    Check(SameNumber(value, EditTextToNumber((" \t\r\n" + narrow).c_str())));
    Check(SameNumber(value, EditTextToNumber((narrow + "x").c_str())));
    Check(SameNumber(value, EditTextToNumber((wide + L"\u4E2D").c_str())));

    const int32_t cut = TruncateToInt32(value);
    if (value >= -2147483648.0 && value < 2147483648.0)
        Check(cut == static_cast<int32_t>(std::trunc(value)));
    else
        Check(cut == (value < 0 ? INT32_MIN : INT32_MAX));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    switch (data[0] % 3) {
    case 0: RawReply(data + 1, size - 1); break;
    case 1: EncodedParameters(data + 1, size - 1); break;
    default: EditText(data + 1, size - 1); break;
    }
    return 0;
}
