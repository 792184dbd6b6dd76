#include "RecordingReports.h"

#include <cstring>

namespace recording {

namespace {

bool IsPresent(uint8_t state) { return state == 1 || state == 2; }

// Decimal digits of value at out (at least minDigits, zero-padded); returns the end.
char* PutNumber(char* out, uint64_t value, int minDigits = 1) {
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n < minDigits) digits[n++] = '0';
    while (n > 0) *out++ = digits[--n];
    return out;
}

char* PutSeconds(char* out, uint64_t ms) {
    out = PutNumber(out, ms / 1000);
    *out++ = '.';
    return PutNumber(out, ms % 1000, 3);
}

std::string Percent(uint64_t part, uint64_t whole) {
    if (whole == 0) return "-";
    // Two decimals, rounded, in integers: part * 10000 / whole fits for any
    // file below 2^50 reports.
    const uint64_t hundredths = (part * 10000 + whole / 2) / whole;
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%02llu%%", static_cast<unsigned long long>(hundredths / 100),
                  static_cast<unsigned long long>(hundredths % 100));
    return text;
}

}  // namespace

void PresenceStats::OnReports(const Report* reports, size_t count) {
    for (size_t i = 0; i < count; ++i) Add(reports[i].state);
}

void PresenceStats::AddRun(uint8_t state, uint64_t count) {
    Add(state);
    // The rest of the run changes nothing but the counts and the spell's length.
    const uint64_t more = count - 1;
    m_summary.reports += more;
    if (state == 1) m_summary.moving += more;
    if (state == 2) m_summary.motionless += more;
    if (IsPresent(state)) {
        m_summary.present += more;
        m_spellLength += more;
    }
}

void PresenceStats::Add(uint8_t state) {
    const bool present = IsPresent(state);
    const bool first = m_summary.reports == 0;
    ++m_summary.reports;
    if (state == 1) ++m_summary.moving;
    if (state == 2) ++m_summary.motionless;
    if (present) ++m_summary.present;

    if (present) {
        if (first || m_previousPresent) {
            if (first) m_spellFromArrival = false;  // began before the recording
            ++m_spellLength;
        } else {
            ++m_summary.arrivals;
            m_spellFromArrival = true;
            m_spellLength = 1;
        }
    } else if (!first && m_previousPresent) {
        ++m_summary.departures;
        if (m_spellFromArrival) {
            PresenceSummary& s = m_summary;
            if (s.spells == 0 || m_spellLength < s.shortestSpell) s.shortestSpell = m_spellLength;
            if (m_spellLength > s.longestSpell) s.longestSpell = m_spellLength;
            s.spellReportsTotal += m_spellLength;
            ++s.spells;
        } else {
            ++m_summary.openSpells;
        }
        m_spellLength = 0;
    }
    m_previousPresent = present;
}

PresenceSummary PresenceStats::Summary() const {
    PresenceSummary summary = m_summary;
    if (m_previousPresent && m_spellLength > 0) ++summary.openSpells;
    return summary;
}

std::string FormatSeconds(uint64_t ms) {
    char text[32];
    *PutSeconds(text, ms) = '\0';
    return text;
}

std::string FormatStats(const ScanCounts& counts, const PresenceSummary& s, uint32_t periodMs) {
    auto line = [](std::string& out, const char* name, const std::string& value) {
        out += name;
        out += ": ";
        out += value;
        out += '\n';
    };
    auto num = [](uint64_t v) { return std::to_string(v); };
    auto time = [periodMs](uint64_t reports) { return FormatSeconds(reports * periodMs); };

    std::string out;
    line(out, "bytes", num(counts.bytes));
    line(out, "period_ms", num(periodMs));
    line(out, "reports", num(s.reports));
    line(out, "duration_s", time(s.reports));
    line(out, "occupancy", Percent(s.present, s.reports));
    line(out, "present_s", time(s.present));
    line(out, "moving_s", time(s.moving));
    line(out, "motionless_s", time(s.motionless));
    line(out, "nobody_s", time(s.reports - s.present));
    line(out, "arrivals", num(s.arrivals));
    line(out, "departures", num(s.departures));
    line(out, "dwell_spells", num(s.spells));
    if (s.spells > 0) {
        // Mean rounded to the nearest millisecond.
        const uint64_t meanMs = (s.spellReportsTotal * periodMs + s.spells / 2) / s.spells;
        line(out, "dwell_min_s", time(s.shortestSpell));
        line(out, "dwell_mean_s", FormatSeconds(meanMs));
        line(out, "dwell_max_s", time(s.longestSpell));
    } else {
        line(out, "dwell_min_s", "-");
        line(out, "dwell_mean_s", "-");
        line(out, "dwell_max_s", "-");
    }
    line(out, "open_spells", num(s.openSpells));
    line(out, "bad_trailers", num(counts.badTrailers));
    line(out, "resyncs", num(counts.resyncs));
    line(out, "skipped_bytes", num(counts.skippedBytes));
    line(out, "trailing_bytes", num(counts.trailingBytes));
    return out;
}

CsvWriter::CsvWriter(std::FILE* out, uint32_t periodMs) : m_out(out), m_periodMs(periodMs), m_buffer(256 * 1024) {}

void CsvWriter::WriteHeader() {
    const size_t n = std::strlen(kHeader);
    std::memcpy(m_buffer.data() + m_used, kHeader, n);
    m_used += n;
}

void CsvWriter::OnReports(const Report* reports, size_t count) {
    for (size_t i = 0; i < count; ++i) WriteLine(reports[i]);
}

void CsvWriter::WriteLine(const Report& report) {
    // A line is at most 20 + 1 + 21 + 1 + 3 + 1 + 5 + 1 characters; the
    // number texts are copied whole (a fixed size copies fastest) and the
    // line goes on after their actual length, so leave room for that too.
    constexpr size_t kLongestLine = 128;
    if (m_buffer.size() - m_used < kLongestLine) Flush();
    if (report.index != m_nextIndex) {
        m_indexLength = static_cast<size_t>(PutNumber(m_indexText, report.index) - m_indexText);
        m_nextIndex = report.index;
    }
    const uint64_t ms = report.index * m_periodMs;
    if (ms / 1000 != m_shownSeconds) {
        m_shownSeconds = ms / 1000;
        m_secondsLength = static_cast<size_t>(PutNumber(m_secondsText, m_shownSeconds) - m_secondsText);
    }

    char* out = m_buffer.data() + m_used;
    char* const start = out;
    std::memcpy(out, m_indexText, sizeof m_indexText);
    out += m_indexLength;
    *out++ = ',';
    std::memcpy(out, m_secondsText, sizeof m_secondsText);
    out += m_secondsLength;
    const unsigned millis = static_cast<unsigned>(ms % 1000);
    out[0] = '.';
    out[1] = static_cast<char>('0' + millis / 100);
    out[2] = static_cast<char>('0' + millis / 10 % 10);
    out[3] = static_cast<char>('0' + millis % 10);
    out[4] = ',';
    out = PutNumber(out + 5, report.state);
    *out++ = ',';
    out = PutNumber(out, report.distance);
    *out++ = '\n';
    m_used += static_cast<size_t>(out - start);

    // The next index's text: add one in place, carrying.
    ++m_nextIndex;
    size_t digit = m_indexLength;
    while (digit > 0 && m_indexText[digit - 1] == '9') m_indexText[--digit] = '0';
    if (digit > 0) {
        ++m_indexText[digit - 1];
    } else {
        std::memmove(m_indexText + 1, m_indexText, m_indexLength++);
        m_indexText[0] = '1';
    }
}

bool CsvWriter::Flush() {
    if (m_used > 0 && !m_failed) {
        if (std::fwrite(m_buffer.data(), 1, m_used, m_out) != m_used) m_failed = true;
    }
    m_used = 0;
    if (!m_failed && std::fflush(m_out) != 0) m_failed = true;
    return !m_failed;
}

}  // namespace recording
