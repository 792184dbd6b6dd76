#include "SimModuleSupport.h"

namespace testsupport {

using namespace radarproto;

std::vector<uint8_t> ModuleCommand(zuvsim::Module& module, uint16_t code, const std::vector<uint8_t>& payload) {
    const std::vector<uint8_t> frame = EncodeCommand(code, payload);
    const std::vector<zuvsim::Reply> replies = module.Receive(frame.data(), frame.size());
    if (replies.size() != 1) return {};
    FrameDecoder decoder;
    decoder.Feed(replies[0].bytes.data(), replies[0].bytes.size());
    Frame f;
    if (!decoder.Next(f) || f.kind != kKindReply || f.code != code) return {};
    return f.payload;
}

uint16_t ModuleWrite(zuvsim::Module& module, const ParameterWrite& write) {
    std::vector<uint16_t> ids;
    std::vector<uint32_t> values;
    for (const auto& pair : write.second) {
        ids.push_back(pair.first);
        values.push_back(pair.second);
    }
    ModuleCommand(module, kEnterCommandMode);
    const std::vector<uint8_t> reply =
        ModuleCommand(module, write.first, EncodeParameterWrite(ids.data(), values.data(), ids.size()));
    ModuleCommand(module, kLeaveCommandMode);
    return reply.size() >= 2 ? GetLe16(reply.data()) : 0xFFFF;
}

zuvsim::Module SceneModule(const zuvsim::Scene& scene, uint64_t seed) {
    zuvsim::ModuleOptions options;
    options.seed = seed;
    zuvsim::Module module(options, scene);
    ModuleCommand(module, kStartReporting);
    return module;
}

PlayedReports PlayReports(zuvsim::Module& module, size_t count) {
    PlayedReports played;
    for (size_t i = 0; i < count; ++i) {
        const std::vector<uint8_t> frame = module.Tick();
        if (frame.size() < kReportSize) break;
        const Report r = DecodeReport(frame.data());
        played.text += (i ? " " : "") + std::to_string(r.state) + "/" + std::to_string(r.distance);
        played.faults.Add(r.state, module.SceneOccupied());
        played.bytes.insert(played.bytes.end(), frame.begin(), frame.end());
    }
    return played;
}

}  // namespace testsupport
