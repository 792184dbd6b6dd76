// Fuzzes reading a profile: arbitrary file bytes read over the factory record.
// Beyond not crashing:
//   - an error leaves the record as it was and names a key exactly when a
//     value is at fault;
//   - ReportTimeMS is never touched;
//   - a file that reads without error writes back, and what is written reads
//     again without error to the same record (as the file writes it), the
//     same firmware and note, and writes the same bytes again.
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "config/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RadarParam before;
    LoadDefaultParameters(before);
    RadarParam read = before;
    const ProfileReadResult result = ReadProfile(data, size, read);
    Check(read.ReportTimeMS == before.ReportTimeMS);
    if (!result.Ok()) {
        Check(std::memcmp(&read, &before, sizeof read) == 0);
        const bool valueError = result.error == ProfileError::NotANumber || result.error == ProfileError::OutOfRange;
        Check(valueError == !result.key.empty());
        Check(!DescribeProfileError(result).empty());
        return 0;
    }

    const ProfileInfo info{result.firmware, result.note};
    const std::string written = WriteProfile(read, info);
    RadarParam again;
    std::memset(&again, 0, sizeof again);
    const ProfileReadResult reread = ReadProfile(written.data(), written.size(), again);
    Check(reread.Ok());
    Check(CompareProfiles(read, again).empty());
    Check(reread.firmware == info.firmware);
    Check(reread.note == info.note);
    Check(WriteProfile(again, info) == written);
    return 0;
}
