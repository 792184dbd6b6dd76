#include "ParamTransfer.h"

WriteAllResult WriteAllAndVerify(IParamLink& link, const RadarParam& wanted, RadarParam& held) {
    WriteAllResult result;
    for (const ParamWriteGroup& group : AllWriteGroups(wanted)) {
        if (!link.Write(group)) {
            result.outcome = WriteAllResult::Outcome::WriteFailed;
            result.failedCode = group.code;
            return result;
        }
    }
    RadarParam readBack = held;
    if (!link.Read(readBack)) {
        result.outcome = WriteAllResult::Outcome::ReadBackFailed;
        return result;
    }
    held = readBack;
    result.differences = CompareProfiles(wanted, readBack);
    if (!result.differences.empty()) result.outcome = WriteAllResult::Outcome::Mismatch;
    return result;
}

bool ChangesBeyondShown(const RadarParam& before, const RadarParam& after) {
    RadarParam othersOnly = after;
    othersOnly.nMotionlessRangeMin = before.nMotionlessRangeMin;
    othersOnly.nMotionlessRangeMax = before.nMotionlessRangeMax;
    othersOnly.nMotionRangeMin = before.nMotionRangeMin;
    othersOnly.nMotionRangeMax = before.nMotionRangeMax;
    othersOnly.nOffTime = before.nOffTime;
    othersOnly.nDistanceCalibration = before.nDistanceCalibration;
    return !CompareProfiles(before, othersOnly).empty();
}
