// What zuv_rec makes of a recording's reports: presence statistics and CSV
// lines. Both take the reports one at a time and keep a fixed amount of state.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "RecordingScan.h"

namespace recording {

// Module's default report period.
constexpr uint32_t kDefaultPeriodMs = 50;

// A report is "present" when its state is 1 (moving target) or 2 (motionless
// target), as the tool's display shows it; any other state is "nobody".
// Every report stands for one report period of time.
struct PresenceSummary {
    uint64_t reports = 0;
    uint64_t present = 0;     // reports with state 1 or 2
    uint64_t moving = 0;      // state 1
    uint64_t motionless = 0;  // state 2
    // Changes between consecutive reports: nobody -> present, present -> nobody.
    // The first report is no change, whatever it shows.
    uint64_t arrivals = 0;
    uint64_t departures = 0;
    // Presence spells (unbroken runs of present reports) that began with an
    // arrival and ended with a departure, lengths in reports.
    uint64_t spells = 0;
    uint64_t shortestSpell = 0;
    uint64_t longestSpell = 0;
    uint64_t spellReportsTotal = 0;
    // Spells cut by the start or the end of the recording: their true length
    // is unknown, so they are not in the dwell figures.
    uint64_t openSpells = 0;
};

class PresenceStats : public IReportConsumer {
public:
    void OnReport(const Report& report) override { Add(report.state); }
    void OnReports(const Report* reports, size_t count) override;
    // Only the state matters: runs of one state are counted in one step.
    bool StatesOnly() const override { return true; }
    void OnStateRun(uint8_t state, uint64_t count) override { AddRun(state, count); }
    // The figures so far; a spell still running counts as open.
    PresenceSummary Summary() const;

private:
    void Add(uint8_t state);
    // As count calls of Add(state).
    void AddRun(uint8_t state, uint64_t count);
    PresenceSummary m_summary;
    bool m_previousPresent = false;
    bool m_spellFromArrival = false;
    uint64_t m_spellLength = 0;
};

// Milliseconds as seconds with three decimals ("12.350").
std::string FormatSeconds(uint64_t ms);

// The stats command's text: one "name: value" line per figure.
std::string FormatStats(const ScanCounts& counts, const PresenceSummary& summary, uint32_t periodMs);

// CSV lines "frame,time_s,state,distance_cm": the frame index from 0, its
// time at the report period (index * period), state and distance. Written
// through a fixed buffer; nothing reaches the stream before the buffer fills
// or Flush is called.
class CsvWriter : public IReportConsumer {
public:
    static constexpr const char* kHeader = "frame,time_s,state,distance_cm\n";

    CsvWriter(std::FILE* out, uint32_t periodMs);

    void WriteHeader();
    void OnReport(const Report& report) override { WriteLine(report); }
    void OnReports(const Report* reports, size_t count) override;
    // Writes out what is buffered; false once any write has failed.
    bool Flush();
    bool Failed() const { return m_failed; }

private:
    void WriteLine(const Report& report);

    std::FILE* m_out;
    uint32_t m_periodMs;
    // Reports come in index order: the index text is counted up in place and
    // the seconds text kept until it changes, so a line costs few divisions.
    uint64_t m_nextIndex = 0;
    char m_indexText[24] = {'0'};
    size_t m_indexLength = 1;
    uint64_t m_shownSeconds = UINT64_MAX;
    char m_secondsText[24] = {};
    size_t m_secondsLength = 0;
    std::vector<char> m_buffer;
    size_t m_used = 0;
    bool m_failed = false;
};

}  // namespace recording
