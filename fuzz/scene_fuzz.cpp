// Fuzzes a scene file as zuv_sim --scene reads it, then plays what parses
// under parameters taken from the input's head. Beyond not crashing or
// hanging:
//   - a refused file says why, naming its line (or that it has no targets);
//   - every target of an accepted one lies within its times and length;
//   - every report is nobody (distance 0), moving or motionless; a moving
//     one's distance (without calibration) at most the motion range's end,
//     as the nearest target seen is no farther than the moving one;
//   - the same seed plays the same reports again.
#include <string>
#include <vector>

#include "Detection.h"
#include "FuzzSupport.h"
#include "Scene.h"

namespace {

constexpr size_t kHead = 8;  // period, hold, four ranges (x3 cm), calibration (x300 cm), seed
constexpr int kPeriods = 300;

std::vector<radarproto::Report> Play(const zuvsim::Scene& scene, const radarproto::ModuleParameters& p, uint64_t seed,
                                     uint32_t periodMs) {
    zuvsim::ScenePlayer player(scene, seed, periodMs);
    zuvsim::Detector detector;
    std::vector<radarproto::Report> reports;
    for (int i = 0; i < kPeriods; ++i) reports.push_back(detector.Next(player.Next(), p));
    return reports;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHead) return 0;
    const uint32_t periodMs = 1 + data[0];
    radarproto::ModuleParameters p;
    p.offTime = data[1];
    p.motionRangeMax = data[2] * 3;
    p.motionRangeMin = data[3] * 3;
    p.motionlessRangeMax = data[4] * 3;
    p.motionlessRangeMin = data[5] * 3;
    p.distanceCalibration = (static_cast<int8_t>(data[6])) * 300;
    const uint64_t seed = data[7];

    zuvsim::Scene scene;
    std::string error;
    if (!zuvsim::Scene::Parse(std::string(data + kHead, data + size), scene, error)) {
        Check(error.rfind("line ", 0) == 0 || error == "the scene has no targets");
        return 0;
    }
    Check(!scene.Targets().empty());
    for (const zuvsim::Target& t : scene.Targets()) {
        Check(t.fromMs < t.untilMs && t.shortestMs <= t.longestMs);
        Check(scene.LengthMs() == 0 || (t.fromMs < scene.LengthMs() &&
                                        (t.untilMs == zuvsim::Target::kForever || t.untilMs <= scene.LengthMs())));
    }
    const std::vector<radarproto::Report> reports = Play(scene, p, seed, periodMs);
    for (const radarproto::Report& r : reports) {
        Check(r.state <= 2);
        Check(r.state != 0 || r.distance == 0);
        if (r.state == 1 && p.distanceCalibration == 0) Check(r.distance <= p.motionRangeMax);
    }
    const std::vector<radarproto::Report> again = Play(scene, p, seed, periodMs);
    for (int i = 0; i < kPeriods; ++i)
        Check(again[i].state == reports[i].state && again[i].distance == reports[i].distance);
    return 0;
}
