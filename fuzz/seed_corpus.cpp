// seed_corpus DIR: writes the frame decoder's seed corpus into DIR. Each file
// begins with the byte that picks how the fuzz target cuts the stream.
#include <cstdio>
#include <string>
#include <vector>

#include "RadarProtocol.h"

using namespace radarproto;
using Bytes = std::vector<uint8_t>;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seed_corpus DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    int count = 0;
    auto write = [&](uint8_t cut, const Bytes& stream) {
        const std::string path = dir + "/seed-" + std::to_string(count++);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return false;
        std::fputc(cut, f);
        std::fwrite(stream.data(), 1, stream.size(), f);
        return std::fclose(f) == 0;
    };
    auto cat = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };

    const std::string version = "ZUV3917-2.04.261201";
    const uint16_t ids[] = {0, 1, 2, 3, 4};
    const uint32_t values[] = {717, 30, 425, 30, 20};
    const Bytes write67 = EncodeParameterWrite(ids, values, 5);
    std::vector<Bytes> frames = {
        EncodeCommand(kEnterCommandMode),
        EncodeCommand(kLeaveCommandMode),
        EncodeCommand(kReadVersion),
        EncodeReply(kReadVersion, 0, Bytes(version.begin(), version.end())),
        EncodeCommand(kStartReporting),
        EncodeReply(kStopReporting, 0),
        EncodeCommand(kWriteGeneral, write67),
        EncodeReply(kWriteGeneral, kStatusUnknownId),
        EncodeCommand(kReadParameters),
        EncodeFrame(kKindReply, kReadParameters, EncodeParameterReply(0, ModuleParameters{}).data(),
                    kParameterReplySize),
    };
    bool ok = true;
    for (size_t i = 0; i < frames.size(); ++i) ok &= write(static_cast<uint8_t>(i % 2 ? 0 : 7), frames[i]);
    const Bytes reports = cat({EncodeReport(1, 300), EncodeReport(2, 120), EncodeReport(0, 0)});
    ok &= write(3, cat({reports, frames[0], {0xC5, 0x00, 0xAA}, frames[9], reports, frames[3]}));
    ok &= write(1, cat({{0xC5, 0x5C, 0x81, 0x73, 0x00, 0x00, 0x04}, frames[7], {0x5C, 0xC5}}));
    Bytes damaged = frames[6];
    damaged[10] ^= 0x40;
    ok &= write(0, cat({damaged, frames[2]}));
    return ok ? 0 : 1;
}
