// The radar module's detection parameters as the tool keeps them.
#pragma once

#include <cstdint>

#include "RadarProtocol.h"

// The module's report period unless the configuration says otherwise.
constexpr int32_t kDefaultReportTimeMs = 50;

// Field names are the configuration keys. Fields 1 to 18 are the module's own
// parameters; ReportTimeMS stays on the tool's side.
struct RadarParam {
    int32_t nMotionlessRangeMin = 0;  // start of the micro-motion range, cm
    int32_t nMotionlessRangeMax = 0;  // end of the micro-motion range, cm
    int32_t nMotionRangeMin = 0;      // start of the motion range, cm
    int32_t nMotionRangeMax = 0;      // end of the motion range, cm
    int32_t nOffTime = 0;             // no-person hold time, frame periods
    int32_t nMotionIIR = 0;           // IIR filter coefficient, motion
    int32_t nMotionlessIIR = 0;       // IIR filter coefficient, micro-motion
    float fMotionNearEndCoef = 0;     // noise-floor coefficients
    float fMotionFarEndCoef = 0;
    float fMotionlessNearEndCoef = 0;
    float fMotionlessFarEndCoef = 0;
    int32_t nMotionWindowRange = 0;  // frame sliding-window sizes
    int32_t nMotionlessWindowRange = 0;
    float fKalman1 = 0;  // alpha-beta filter coefficients
    float fKalman2 = 0;
    float fKalman3 = 0;
    float fKalman4 = 0;
    int32_t nDistanceCalibration = 0;             // distance compensation
    int32_t ReportTimeMS = kDefaultReportTimeMs;  // report period, ms; never reset by the defaults
};

static_assert(sizeof(RadarParam) == 19 * 4, "RadarParam is nineteen 32-bit fields");

// Fields 1 to 18 from the module's parameters; ReportTimeMS is left alone.
inline void StoreModuleParameters(const radarproto::ModuleParameters& m, RadarParam& p) {
    p.nMotionlessRangeMin = m.motionlessRangeMin;
    p.nMotionlessRangeMax = m.motionlessRangeMax;
    p.nMotionRangeMin = m.motionRangeMin;
    p.nMotionRangeMax = m.motionRangeMax;
    p.nOffTime = m.offTime;
    p.nMotionIIR = m.motionIIR;
    p.nMotionlessIIR = m.motionlessIIR;
    p.fMotionNearEndCoef = m.motionNearEndCoef;
    p.fMotionFarEndCoef = m.motionFarEndCoef;
    p.fMotionlessNearEndCoef = m.motionlessNearEndCoef;
    p.fMotionlessFarEndCoef = m.motionlessFarEndCoef;
    p.nMotionWindowRange = m.motionWindowRange;
    p.nMotionlessWindowRange = m.motionlessWindowRange;
    p.fKalman1 = m.kalman[0];
    p.fKalman2 = m.kalman[1];
    p.fKalman3 = m.kalman[2];
    p.fKalman4 = m.kalman[3];
    p.nDistanceCalibration = m.distanceCalibration;
}

// The module's parameters held in fields 1 to 18.
inline radarproto::ModuleParameters ModuleParametersOf(const RadarParam& p) {
    radarproto::ModuleParameters m;
    m.motionlessRangeMin = p.nMotionlessRangeMin;
    m.motionlessRangeMax = p.nMotionlessRangeMax;
    m.motionRangeMin = p.nMotionRangeMin;
    m.motionRangeMax = p.nMotionRangeMax;
    m.offTime = p.nOffTime;
    m.motionIIR = p.nMotionIIR;
    m.motionlessIIR = p.nMotionlessIIR;
    m.motionNearEndCoef = p.fMotionNearEndCoef;
    m.motionFarEndCoef = p.fMotionFarEndCoef;
    m.motionlessNearEndCoef = p.fMotionlessNearEndCoef;
    m.motionlessFarEndCoef = p.fMotionlessFarEndCoef;
    m.motionWindowRange = p.nMotionWindowRange;
    m.motionlessWindowRange = p.nMotionlessWindowRange;
    m.kalman[0] = p.fKalman1;
    m.kalman[1] = p.fKalman2;
    m.kalman[2] = p.fKalman3;
    m.kalman[3] = p.fKalman4;
    m.distanceCalibration = p.nDistanceCalibration;
    return m;
}

// The module's factory values in fields 1 to 18; ReportTimeMS is left alone.
void LoadDefaultParameters(RadarParam& param);
