// The parameter dialog's logic that needs no Windows: decoding the module's
// parameter reply, turning an edit's text into a number the way the dialog
// reads it, and the write commands built from a parameter record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "RadarProtocol.h"
#include "config/RadarParam.h"

// A parameter session with the module, as the parameter dialog and zuv_cfg
// hold it: "enter command mode" tried this often, each try waiting this long;
// report bytes still arriving then dropped until the line is quiet, waiting
// at most this long; each read or write command waiting this long for its reply.
constexpr int kEnterCommandModeAttempts = 2;
constexpr int kEnterCommandModeReplyMs = 150;
constexpr int kQuietLineMaxWaitMs = 500;
constexpr int kCommandReplyMs = 2000;

// The read command's reply payload: a 16-bit status word and 50 bytes of fields.
constexpr int kParamReplyLength = static_cast<int>(radarproto::kParameterReplySize);
// ParseParamResponse's result when the reply cannot be decoded: a length other
// than kParamReplyLength, no data, or no record to store into.
constexpr uint16_t kParamReplyUnusable = 0xA004;

// Response handler of the read command (code 0x73). context is the RadarParam
// record that receives the eighteen module fields.
// - length != 52, data null or context null: returns kParamReplyUnusable.
// - hasStatus nonzero: the first little-endian 16-bit word is the module's
//   status; a nonzero status is returned unchanged. The fields begin at byte 2.
// - hasStatus 0: the fields begin at byte 0; the last two bytes are not used.
// On success returns 0 and stores all eighteen fields (8- and 16-bit fields
// widened without sign, floats and the signed calibration copied bit for bit);
// ReportTimeMS is never touched. On any other result the record is unchanged.
uint16_t ParseParamResponse(int hasStatus, const uint8_t* data, int length, void* context);

// The number at the start of an edit's text: leading blanks (space, tab, CR,
// LF, VT, FF) skipped, then the longest leading decimal number — optional sign,
// digits with an optional fraction (".5", "5." and "5.5" all count), optional
// exponent "e"/"E" with optional sign and at least one digit. 0 when the text
// does not begin with a number. The decimal point is always '.', whatever the
// C runtime's locale says. A magnitude too large for a double gives +-infinity,
// one too small gives +-0. Null text gives 0.
double EditTextToNumber(const wchar_t* text);
double EditTextToNumber(const char* text);

// Cuts toward zero to a signed 32-bit integer. Values beyond the range
// (including +-infinity) are clamped to INT32_MIN / INT32_MAX; NaN gives 0.
int32_t TruncateToInt32(double value);

// One write command: code, count ids and count 32-bit cells (floats as their
// IEEE-754 single-precision bits).
struct ParamWriteGroup {
    uint16_t code = 0;
    int count = 0;
    uint16_t ids[radarproto::kMaxWriteIds] = {};
    uint32_t values[radarproto::kMaxWriteIds] = {};
};

// 0x67: nMotionRangeMax, nMotionRangeMin, nMotionlessRangeMax,
// nMotionlessRangeMin, nOffTime as ids 0..4.
ParamWriteGroup GeneralWriteGroup(const RadarParam& param);
// 0x72: nDistanceCalibration as id 0.
ParamWriteGroup CalibrationWriteGroup(const RadarParam& param);
// The whole set, in the order restoring the defaults writes it:
// 0x67, 0x68, 0x69, 0x70, 0x71, 0x72.
std::array<ParamWriteGroup, 6> AllWriteGroups(const RadarParam& param);
