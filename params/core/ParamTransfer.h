// Putting a whole parameter record into a module and proving it is there:
// the six write commands in the order restoring the defaults uses, one read
// back, and all eighteen fields compared. The parameter dialog and zuv_cfg
// run the same sequence; each supplies the link to its module.
#pragma once

#include <cstdint>
#include <vector>

#include "ParamCore.h"
#include "config/Profile.h"

// A module's parameter commands, with command mode already entered by the caller.
class IParamLink {
public:
    virtual ~IParamLink() = default;
    // True when the module confirmed the write.
    virtual bool Write(const ParamWriteGroup& group) = 0;
    // The module's parameters into param; false leaves param as it was.
    virtual bool Read(RadarParam& param) = 0;
};

struct WriteAllResult {
    enum class Outcome {
        Verified,        // every group written and all 18 read back as sent
        WriteFailed,     // failedCode's write was refused or unanswered; later groups not sent
        ReadBackFailed,  // every write confirmed but the read-back failed
        Mismatch,        // read back, and differences lists what differs
    };
    Outcome outcome = Outcome::Verified;
    uint16_t failedCode = 0;                     // WriteFailed: the code of the group that failed
    std::vector<ProfileDifference> differences;  // Mismatch: key, value sent (first), value read (second)

    bool Ok() const { return outcome == Outcome::Verified; }
};

// Writes wanted's 18 parameters as six groups, reads them back and compares.
// held receives what the module was read to hold (Verified and Mismatch) and
// is left as it was otherwise.
WriteAllResult WriteAllAndVerify(IParamLink& link, const RadarParam& wanted, RadarParam& held);

// Whether after differs from before in a field other than the six the
// parameter dialog shows (and "set" writes).
bool ChangesBeyondShown(const RadarParam& before, const RadarParam& after);
