#include "Module.h"

#include <cstdio>

namespace zuvsim {

using namespace radarproto;

std::string Hex(const uint8_t* data, size_t size) {
    std::string out;
    out.reserve(size * 3);
    char b[4];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", data[i]);
        out += b;
    }
    return out;
}

Module::Module(const ModuleOptions& options, const Scenario& scenario)
    : m_options(options), m_scenario(scenario), m_rng(options.seed * 0x9E3779B97F4A7C15ull | 1) {}

Module::Module(const ModuleOptions& options, const Scene& scene) : Module(options, Scenario{}) {
    m_scene = std::make_unique<ScenePlayer>(scene, options.seed, options.periodMs);
}

bool Module::SwitchScene(const Scene& scene) {
    if (!m_scene) return false;
    m_scene = std::make_unique<ScenePlayer>(scene, m_options.seed, m_options.periodMs);
    m_detector = Detector();
    return true;
}

uint8_t Module::Random() {
    m_rng ^= m_rng << 13;
    m_rng ^= m_rng >> 7;
    m_rng ^= m_rng << 17;
    return static_cast<uint8_t>(m_rng >> 24);
}

std::vector<Reply> Module::Receive(const uint8_t* data, size_t size) {
    std::vector<Reply> replies;
    m_decoder.Feed(data, size);
    Frame frame;
    while (m_decoder.Next(frame)) {
        if (frame.kind != kKindCommand) continue;  // the module ignores replies
        replies.push_back(Handle(frame));
    }
    return replies;
}

namespace {

// A command without payload that sets a switch of the module: a payload is
// refused and leaves the switch alone.
uint16_t SetWhenEmpty(bool empty, bool& flag, bool value) {
    if (!empty) return kStatusBadLength;
    flag = value;
    return kStatusOk;
}

}  // namespace

Reply Module::Handle(const Frame& command) {
    char what[96];
    const uint16_t code = command.code;
    uint16_t status = kStatusOk;
    std::vector<uint8_t> data;
    const bool empty = command.payload.empty();
    const char* name = "unknown";

    switch (code) {
    case kEnterCommandMode:
        name = "enter command mode";
        status = SetWhenEmpty(empty, m_commandMode, true);
        break;
    case kLeaveCommandMode:
        name = "leave command mode";
        status = SetWhenEmpty(empty, m_commandMode, false);
        break;
    case kReadVersion:
        name = "read version";
        if (!empty)
            status = kStatusBadLength;
        else
            data.assign(m_options.versionText.begin(), m_options.versionText.end());
        break;
    case kStartReporting:
        name = "start reporting";
        status = SetWhenEmpty(empty, m_reporting, true);
        break;
    case kStopReporting:
        name = "stop reporting";
        status = SetWhenEmpty(empty, m_reporting, false);
        break;
    case kReadParameters: {
        name = "read parameters";
        if (!m_commandMode)
            status = kStatusNeedsCommandMode;
        else if (!empty)
            status = kStatusBadLength;
        if (status != kStatusOk) break;
        std::vector<uint8_t> payload = EncodeParameterReply(m_options.status73, m_parameters);
        payload.resize(m_options.reply73Length, 0);
        std::snprintf(what, sizeof what, "0x%04X %s: status 0x%04X, %zu bytes", code, name, m_options.status73,
                      payload.size());
        return Reply{EncodeFrame(kKindReply, code, payload.data(), payload.size()), what};
    }
    default:
        if (code >= kWriteGeneral && code <= kWriteCalibration) {
            name = "write parameters";
            std::vector<ParameterPair> pairs;
            if (!m_commandMode)
                status = kStatusNeedsCommandMode;
            else if (!DecodeParameterWrite(command.payload, pairs))
                status = kStatusBadLength;
            else if (static_cast<int>(code) == m_options.refuseCode)
                status = kStatusRefused;
            else
                status = ApplyParameterWrite(code, pairs, m_parameters);
        } else {
            status = kStatusUnknownCommand;
        }
        break;
    }
    std::snprintf(what, sizeof what, "0x%04X %s: status 0x%04X", code, name, status);
    std::string description = what;
    if (code >= kWriteGeneral && code <= kWriteCalibration) {
        // What the module holds after the write, applied or not: tests check it here.
        const ModuleParameters& p = m_parameters;
        // The other groups follow, floats as a profile writes them.
        char holds[640];
        std::snprintf(holds, sizeof holds,
                      "; holds general %d %d %d %d %d calibration %d noise %f %f %f %f iir %d %d window %d %d "
                      "alpha-beta %f %f %f %f",
                      p.motionRangeMax, p.motionRangeMin, p.motionlessRangeMax, p.motionlessRangeMin, p.offTime,
                      p.distanceCalibration, p.motionNearEndCoef, p.motionFarEndCoef, p.motionlessNearEndCoef,
                      p.motionlessFarEndCoef, p.motionIIR, p.motionlessIIR, p.motionWindowRange,
                      p.motionlessWindowRange, p.kalman[0], p.kalman[1], p.kalman[2], p.kalman[3]);
        description += holds;
    }
    return Reply{EncodeReply(code, status, data), description};
}

std::vector<uint8_t> Module::Tick() {
    std::vector<uint8_t> out;
    if (!Sending()) return out;
    const Report r = m_scene ? m_detector.Next(m_scene->Next(), m_parameters) : m_scenario.At(m_scenarioMs);
    m_scenarioMs += m_options.periodMs;
    out = EncodeReport(r.state, r.distance);
    ++m_reportFrames;
    if (m_options.badTrailerEvery != 0 && m_reportFrames % m_options.badTrailerEvery == 0) out[kReportSize - 1] = 0x54;
    for (uint32_t i = 0; i < m_options.noisePerFrame; ++i) out.push_back(Random());
    return out;
}

}  // namespace zuvsim
