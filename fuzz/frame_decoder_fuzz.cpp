// Fuzzes FrameDecoder with arbitrary streams fed in arbitrary pieces. Beyond
// not crashing: every frame handed out re-encodes to bytes that occur in the
// input, in order and without overlap; the buffer stays within its bound;
// parameter payloads of decoded frames go through the parameter code too.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "RadarProtocol.h"

using namespace radarproto;

namespace {

const uint8_t* Find(const uint8_t* from, const uint8_t* end, const std::vector<uint8_t>& needle) {
    if (needle.empty() || static_cast<size_t>(end - from) < needle.size()) return nullptr;
    for (const uint8_t* p = from; p + needle.size() <= end; ++p)
        if (std::memcmp(p, needle.data(), needle.size()) == 0) return p;
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    fuzzsupport::CutInput input(data, size);
    const uint8_t* stream = input.stream;
    const size_t length = input.length;

    FrameDecoder decoder;
    const uint8_t* searchFrom = stream;
    const uint8_t* end = stream + length;
    size_t at = 0;
    Frame frame;
    while (at < length) {
        const size_t n = input.NextPiece(at);
        decoder.Feed(stream + at, n);
        at += n;
        Check(decoder.Buffered() <= kMaxBuffered);
        while (decoder.Next(frame)) {
            Check(frame.kind == kKindCommand || frame.kind == kKindReply);
            Check(frame.payload.size() <= kMaxPayload);
            const std::vector<uint8_t> again =
                EncodeFrame(frame.kind, frame.code, frame.payload.data(), frame.payload.size());
            const uint8_t* found = Find(searchFrom, stream + at, again);
            Check(found != nullptr);
            searchFrom = found + again.size();

            std::vector<ParameterPair> pairs;
            if (DecodeParameterWrite(frame.payload, pairs)) {
                Check(pairs.size() * 6 == frame.payload.size());
                ModuleParameters p;
                const ModuleParameters before = p;
                const uint16_t status = ApplyParameterWrite(frame.code, pairs, p);
                if (status != kStatusOk) Check(EncodeParameterReply(0, p) == EncodeParameterReply(0, before));
                Check(EncodeParameterReply(status, p).size() == kParameterReplySize);
            }
        }
    }
    (void)end;
    return 0;
}
