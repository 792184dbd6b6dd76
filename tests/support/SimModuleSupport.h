// The simulated module driven as a host drives it, without a line: one
// command and its reply, a parameter write in a command-mode session, and
// report periods played and read back. Host only (the simulator is).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Module.h"

namespace testsupport {

using ParameterWrite = std::pair<uint16_t, std::vector<std::pair<uint16_t, uint32_t>>>;  // code, (id, value)

// Sends one command; the payload (status first) of its one reply, or empty
// when not exactly one reply to that code came back.
std::vector<uint8_t> ModuleCommand(zuvsim::Module& module, uint16_t code, const std::vector<uint8_t>& payload = {});

// Enters command mode, writes, leaves it; the write's status (0xFFFF: no reply).
uint16_t ModuleWrite(zuvsim::Module& module, const ParameterWrite& write);

// A scene module with seed and reporting on.
zuvsim::Module SceneModule(const zuvsim::Scene& scene, uint64_t seed = 1);

// Plays count report periods: the reports as "state/distance" words, one
// space between, and the presence faults against the scene's truth.
struct PlayedReports {
    std::string text;
    zuvsim::FaultCount faults;
    std::vector<uint8_t> bytes;
};
PlayedReports PlayReports(zuvsim::Module& module, size_t count);

}  // namespace testsupport
