// The simulated module without any I/O: it takes the bytes the host sends and
// answers with reply frames, and on each report period hands out the report
// frame due (plus any configured noise). The program around it only moves
// bytes and keeps time, so the host tests drive this class directly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "RadarProtocol.h"
#include "Scenario.h"
#include "Scene.h"

namespace zuvsim {

struct ModuleOptions {
    std::string versionText = "ZUV3917-2.04.261201";
    uint32_t periodMs = 50;
    // Faults.
    size_t reply73Length = radarproto::kParameterReplySize;  // 51 or 53 to send a wrong length
    uint16_t status73 = radarproto::kStatusOk;
    int refuseCode = -1;           // a write code answered with kStatusRefused
    uint32_t badTrailerEvery = 0;  // every Nth report frame has a broken trailer
    uint32_t noisePerFrame = 0;    // random bytes after each report frame
    uint64_t seed = 1;
};

struct Reply {
    std::vector<uint8_t> bytes;
    std::string description;  // for the log
};

class Module {
public:
    Module(const ModuleOptions& options, const Scenario& scenario);
    // Scene mode: the reports come from the scene through the module's own
    // processing (Detector) under the parameters it holds at each report.
    Module(const ModuleOptions& options, const Scene& scene);

    // Scene mode: another room from the next report on, played from its start
    // with the seed's draws and the module's processing as at power-up; the
    // parameters the module holds (and its modes) stay. False, changing
    // nothing, in scenario mode.
    bool SwitchScene(const Scene& scene);

    // Bytes from the host, split anywhere; one reply per complete command.
    std::vector<Reply> Receive(const uint8_t* data, size_t size);
    // One report period passed: the bytes to send now (empty when not reporting).
    std::vector<uint8_t> Tick();

    bool CommandMode() const { return m_commandMode; }
    bool Reporting() const { return m_reporting; }
    bool Sending() const { return m_reporting && !m_commandMode; }
    const radarproto::ModuleParameters& Parameters() const { return m_parameters; }
    uint64_t ReportFrames() const { return m_reportFrames; }
    // Scene mode: whether a person was in the room at the last report.
    bool SceneOccupied() const { return m_scene && m_scene->Occupied(); }

private:
    Reply Handle(const radarproto::Frame& command);
    uint8_t Random();

    ModuleOptions m_options;
    Scenario m_scenario;
    std::unique_ptr<ScenePlayer> m_scene;  // null: the scenario plays
    Detector m_detector;
    radarproto::FrameDecoder m_decoder;
    radarproto::ModuleParameters m_parameters;
    bool m_commandMode = false;
    bool m_reporting = false;
    uint64_t m_reportFrames = 0;
    uint64_t m_scenarioMs = 0;
    uint64_t m_rng;
};

// "0x67" → "0x0067"-style hex of a code, and a byte block as hex, for logs.
std::string Hex(const uint8_t* data, size_t size);

}  // namespace zuvsim
