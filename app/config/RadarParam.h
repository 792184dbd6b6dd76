// The radar module's detection parameters as the tool keeps them.
#pragma once

#include <cstdint>

// Field names are the configuration keys. Fields 1 to 18 are the module's own
// parameters; ReportTimeMS stays on the tool's side.
struct RadarParam {
    int32_t nMotionlessRangeMin = 0;     // start of the micro-motion range, cm
    int32_t nMotionlessRangeMax = 0;     // end of the micro-motion range, cm
    int32_t nMotionRangeMin = 0;         // start of the motion range, cm
    int32_t nMotionRangeMax = 0;         // end of the motion range, cm
    int32_t nOffTime = 0;                // no-person hold time, frame periods
    int32_t nMotionIIR = 0;              // IIR filter coefficient, motion
    int32_t nMotionlessIIR = 0;          // IIR filter coefficient, micro-motion
    float fMotionNearEndCoef = 0;        // noise-floor coefficients
    float fMotionFarEndCoef = 0;
    float fMotionlessNearEndCoef = 0;
    float fMotionlessFarEndCoef = 0;
    int32_t nMotionWindowRange = 0;      // frame sliding-window sizes
    int32_t nMotionlessWindowRange = 0;
    float fKalman1 = 0;                  // alpha-beta filter coefficients
    float fKalman2 = 0;
    float fKalman3 = 0;
    float fKalman4 = 0;
    int32_t nDistanceCalibration = 0;    // distance compensation
    int32_t ReportTimeMS = 50;           // report period, ms; never reset by the defaults
};

static_assert(sizeof(RadarParam) == 19 * 4, "RadarParam is nineteen 32-bit fields");

// Factory values of fields 1 to 18; ReportTimeMS is left alone.
void LoadDefaultParameters(RadarParam& param);
