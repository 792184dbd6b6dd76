// The tuning analysis as text for people (zuv_rec tune): findings,
// suggestions with their reasons, the predicted effect. English; a window
// would word the same result in its own string tables.
#pragma once

#include <cstdint>
#include <string>

#include "Tuning.h"

namespace tuning {

// One line saying why the recordings cannot be judged (no line end); empty
// for TuningProblem::None.
std::string DescribeProblem(const TuningResult& result, uint32_t periodMs);

// The report of a successful analysis.
std::string FormatTuning(const TuningResult& result, uint32_t periodMs);

// The parameter key a setting is kept under in profiles and appConfig.xml.
const char* SettingKey(Setting setting);

}  // namespace tuning
