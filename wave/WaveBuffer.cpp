#include "WaveBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// One field read under the buffer's lock.
template <class T>
T ReadLocked(CBaseLock& lock, const T& field) {
    CAutoBaseLock guard(lock);
    return field;
}

// Rounds half away from zero and clamps into [lo, hi]; NaN gives lo. Doing
// the clamp in double keeps every conversion to int defined.
int64_t RoundClamp(double v, int64_t lo, int64_t hi) {
    if (hi < lo) hi = lo;
    if (std::isnan(v) || v <= static_cast<double>(lo)) return lo;
    if (v >= static_cast<double>(hi)) return hi;
    return std::min(hi, std::max(lo, static_cast<int64_t>(std::round(v))));
}

template <class T>
double ReadAs(const unsigned char* p, int64_t index) {
    T v;
    std::memcpy(&v, p + index * static_cast<int64_t>(sizeof(T)), sizeof(T));
    return static_cast<double>(v);
}

// Sample at index converted to double; false for an encoding nothing draws.
bool ReadSample(const unsigned char* p, int type, int64_t index, double* out) {
    switch (type) {
    case WAVE_SAMPLE_INT16: *out = ReadAs<int16_t>(p, index); return true;
    case WAVE_SAMPLE_INT32: *out = ReadAs<int32_t>(p, index); return true;
    case WAVE_SAMPLE_DOUBLE: *out = ReadAs<double>(p, index); return true;
    default: return false;
    }
}

// Row of a value in a plot h pixels high: max at 0, min at h (clamped to
// h - 1). An empty or unusable range puts values at or above max on top and
// the rest at the bottom instead of dividing by zero.
int64_t RowOf(double v, double vmin, double vmax, int64_t h) {
    if (h <= 0) return 0;
    const double range = vmax - vmin;
    double y;
    if (range == 0.0 || !std::isfinite(range))
        y = v >= vmax ? 0.0 : static_cast<double>(h);
    else
        y = static_cast<double>(h) * (vmax - v) / range;
    return RoundClamp(y, 0, h - 1);
}

}  // namespace

int WaveBytesPerSample(int sampleType) {
    switch (sampleType) {
    case WAVE_SAMPLE_INT32: return 4;
    case WAVE_SAMPLE_DOUBLE: return 8;
    default: return 2;
    }
}

CWaveBuffer::CWaveBuffer()
    : m_nSampleType(WAVE_SAMPLE_INT16),
      m_fValueMin(-32767.0),
      m_fValueMax(32767.0),
      m_nScrollOffset(0),
      m_nWindowLength(1024),
      m_nWindowsHeld(2),
      m_bWholeWindowsOnly(FALSE),
      m_pSamples(nullptr),
      m_nWindowsAppended(0),
      m_nPartialCount(0) {}

CWaveBuffer::~CWaveBuffer() { delete[] m_pSamples; }

int64_t CWaveBuffer::ArrayBytesLocked() const {
    if (m_pSamples == nullptr) return 0;
    return int64_t(m_nWindowsHeld) * m_nWindowLength * WaveBytesPerSample(m_nSampleType);
}

bool CWaveBuffer::ReallocateLocked(int type, int n, int m, bool keep) {
    if (n < 1 || m < 1) return false;
    const int64_t bytes = int64_t(m) * n * WaveBytesPerSample(type);
    if (bytes > kMaxArrayBytes) return false;
    auto* fresh = new (std::nothrow) unsigned char[static_cast<size_t>(bytes)];
    if (fresh == nullptr) return false;
    int64_t kept = 0;
    if (keep && m_pSamples != nullptr) {
        kept = std::min(bytes, ArrayBytesLocked());
        std::memcpy(fresh, m_pSamples, static_cast<size_t>(kept));
    }
    std::memset(fresh + kept, 0, static_cast<size_t>(bytes - kept));
    delete[] m_pSamples;
    m_pSamples = fresh;
    m_nSampleType = type;
    m_nWindowLength = n;
    m_nWindowsHeld = m;
    m_staging.Delete();
    return true;
}

void CWaveBuffer::AppendSamples(const void* samples, int count) {
    if (count <= 0 || samples == nullptr) return;
    CAutoBaseLock guard(m_lock);
    const int64_t n = m_nWindowLength;
    if (m_pSamples == nullptr || n < 1) return;
    const int64_t b = WaveBytesPerSample(m_nSampleType);

    const int64_t partial = int64_t(m_nPartialCount) + count;
    m_nWindowsAppended += partial / n;
    m_nPartialCount = static_cast<int32_t>(partial % n);

    // The samples to place are the staged ones followed by the new ones.
    // They are never all gathered in the staging buffer: a huge count would
    // overflow its int size, and only the last M x N samples can matter.
    const auto* in = static_cast<const unsigned char*>(samples);
    const int64_t staged = m_staging.GetAvailSize() / b;
    const int64_t total = staged + count;
    const int64_t keepStaged = m_bWholeWindowsOnly ? total % n : 0;
    const int64_t moved = total - keepStaged;

    if (moved == 0) {
        // Less than a window in whole-window mode: everything waits.
        m_staging.AppendBuffer(in, static_cast<int>(count * b));
        return;
    }

    const int64_t cap = int64_t(m_nWindowsHeld) * n;
    const int64_t take = std::min(moved, cap);
    unsigned char* arr = m_pSamples;
    if (take < cap) std::memmove(arr, arr + take * b, static_cast<size_t>((cap - take) * b));
    // Copy samples [moved - take, moved) of the staged-then-new sequence.
    unsigned char* dst = arr + (cap - take) * b;
    int64_t from = moved - take;
    if (from < staged) {
        const int64_t k = std::min(staged, moved) - from;
        std::memcpy(dst, m_staging.GetBuffer() + from * b, static_cast<size_t>(k * b));
        dst += k * b;
        from += k;
    }
    if (from < moved) std::memcpy(dst, in + (from - staged) * b, static_cast<size_t>((moved - from) * b));

    // What stays staged: samples [moved, total).
    if (moved < staged) {
        m_staging.SetBuffer(m_staging.GetBuffer() + moved * b, static_cast<int>((staged - moved) * b));
        m_staging.AppendBuffer(in, static_cast<int>(count * b));
    } else {
        m_staging.SetBuffer(nullptr, 0);
        if (keepStaged > 0) m_staging.AppendBuffer(in + (moved - staged) * b, static_cast<int>(keepStaged * b));
    }
}

void CWaveBuffer::SetHistoryWindows(int k) {
    if (k < 0 || k >= INT32_MAX) return;
    CAutoBaseLock guard(m_lock);
    if (k + 1 == m_nWindowsHeld) return;
    ReallocateLocked(m_nSampleType, m_nWindowLength, k + 1, true);
}

void CWaveBuffer::SetSampleType(int type) {
    CAutoBaseLock guard(m_lock);
    const int64_t bytes = int64_t(m_nWindowsHeld) * m_nWindowLength * WaveBytesPerSample(type);
    if (bytes != ArrayBytesLocked()) {
        ReallocateLocked(type, m_nWindowLength, m_nWindowsHeld, false);
        return;
    }
    m_nSampleType = type;
}

void CWaveBuffer::SetWindowLength(int n) {
    if (n < 1) return;
    CAutoBaseLock guard(m_lock);
    const int64_t bytes = int64_t(m_nWindowsHeld) * n * WaveBytesPerSample(m_nSampleType);
    if (bytes != ArrayBytesLocked()) {
        ReallocateLocked(m_nSampleType, n, m_nWindowsHeld, false);
        return;
    }
    m_nWindowLength = n;
}

void CWaveBuffer::SetValueRange(double min, double max) {
    CAutoBaseLock guard(m_lock);
    m_fValueMin = min;
    m_fValueMax = max;
}

void CWaveBuffer::SetScrollOffset(int offset) {
    CAutoBaseLock guard(m_lock);
    m_nScrollOffset = offset;
}

void CWaveBuffer::SetWholeWindowsOnly(BOOL whole) {
    CAutoBaseLock guard(m_lock);
    m_bWholeWindowsOnly = whole;
}

bool CWaveBuffer::VisibleWindowLocked(double zoom, int offset, int64_t* start, int64_t* count) const {
    const int64_t n = m_nWindowLength;
    if (m_pSamples == nullptr || n < 1 || !(zoom > 0.0)) return false;
    const int64_t cap = int64_t(m_nWindowsHeld) * n;
    const int64_t first = n - std::clamp<int64_t>(offset, 0, n);
    // int(N / zoom), limited to what lies in the array from the window's
    // start: a zoom that the array was not sized for shows less, never reads
    // past its end.
    const int64_t cnt = RoundClamp(std::trunc(static_cast<double>(n) / zoom), 0, cap - first);
    if (first >= cap || cnt <= 0) return false;
    *start = first;
    *count = cnt;
    return true;
}

template <class T>
void CWaveBuffer::MapLocked(const RECT& plot, double zoom, CPtrArrayCtrl& points) {
    int64_t start = 0, cnt = 0;
    if (!VisibleWindowLocked(zoom, m_nScrollOffset, &start, &cnt)) return;
    const int64_t w = int64_t(plot.right) - plot.left;
    const int64_t h = int64_t(plot.bottom) - plot.top;
    if (w <= 0) return;
    // One sample or one column: a single point from the window's first
    // sample (the general formulas would divide by zero).
    const double step = cnt > 1 && w > 1 ? std::max(1.0, double(w - 1) / double(cnt - 1)) : double(w);
    const double ratio = cnt > 1 && w > 1 ? double(cnt - 1) / double(w - 1) : 0.0;
    const unsigned char* base = m_pSamples + start * int64_t(sizeof(T));
    for (double s = 0.0; s < double(w); s += step) {
        const int64_t x = RoundClamp(s, 0, w - 1);
        const int64_t i = RoundClamp(s * ratio, 0, cnt - 1);
        const double v = ReadAs<T>(base, i);
        const int64_t y = RowOf(v, m_fValueMin, m_fValueMax, h);
        points.AddData(WavePointPack(static_cast<int>(plot.left + x), static_cast<int>(plot.top + y)), -1);
    }
}

template <class T>
void CWaveBuffer::MapToPointsAs(int code, const RECT& plot, double zoom, CPtrArrayCtrl& points) {
    CAutoBaseLock guard(m_lock);
    if (m_nSampleType == code) MapLocked<T>(plot, zoom, points);
}

void CWaveBuffer::MapToPointsInt16(const RECT& plot, double zoom, CPtrArrayCtrl& points) {
    MapToPointsAs<int16_t>(WAVE_SAMPLE_INT16, plot, zoom, points);
}

void CWaveBuffer::MapToPointsInt32(const RECT& plot, double zoom, CPtrArrayCtrl& points) {
    MapToPointsAs<int32_t>(WAVE_SAMPLE_INT32, plot, zoom, points);
}

void CWaveBuffer::MapToPointsDouble(const RECT& plot, double zoom, CPtrArrayCtrl& points) {
    MapToPointsAs<double>(WAVE_SAMPLE_DOUBLE, plot, zoom, points);
}

void CWaveBuffer::MapToPoints(const RECT& plot, double zoom, CPtrArrayCtrl& points) {
    CAutoBaseLock guard(m_lock);
    switch (m_nSampleType) {
    case WAVE_SAMPLE_INT16: MapLocked<int16_t>(plot, zoom, points); break;
    case WAVE_SAMPLE_INT32: MapLocked<int32_t>(plot, zoom, points); break;
    case WAVE_SAMPLE_DOUBLE: MapLocked<double>(plot, zoom, points); break;
    default: break;
    }
}

BOOL CWaveBuffer::SampleAtColumn(const RECT& plot, double zoom, int x, int* pos, int* type, double* value, double* y) {
    CAutoBaseLock guard(m_lock);
    const int64_t n = m_nWindowLength;
    if (n < 1) return FALSE;
    const int64_t w = int64_t(plot.right) - plot.left;
    const int64_t h = int64_t(plot.bottom) - plot.top;
    if (x < 0 || x >= w) return FALSE;
    m_nScrollOffset = static_cast<int32_t>(std::clamp<int64_t>(m_nScrollOffset, 0, n));
    int64_t start = 0, cnt = 0;
    if (!VisibleWindowLocked(zoom, m_nScrollOffset, &start, &cnt)) return FALSE;
    if (type) *type = m_nSampleType;
    const double ratio = cnt > 1 && w > 1 ? double(cnt - 1) / double(w - 1) : 0.0;
    const int64_t idx = start + RoundClamp(ratio * x, 0, cnt - 1);
    double v = value ? *value : 0.0;
    ReadSample(m_pSamples, m_nSampleType, idx, &v);
    if (value) *value = v;
    if (y) *y = static_cast<double>(RowOf(v, m_fValueMin, m_fValueMax, h));
    if (pos) *pos = static_cast<int>((idx + m_nScrollOffset) % n);
    return TRUE;
}

int CWaveBuffer::GetSampleType() const { return ReadLocked(m_lock, m_nSampleType); }
int CWaveBuffer::GetWindowLength() const { return ReadLocked(m_lock, m_nWindowLength); }
int CWaveBuffer::GetWindowsHeld() const { return ReadLocked(m_lock, m_nWindowsHeld); }
int CWaveBuffer::GetScrollOffset() const { return ReadLocked(m_lock, m_nScrollOffset); }
BOOL CWaveBuffer::IsWholeWindowsOnly() const { return ReadLocked(m_lock, m_bWholeWindowsOnly); }

void CWaveBuffer::GetValueRange(double* min, double* max) const {
    CAutoBaseLock guard(m_lock);
    if (min) *min = m_fValueMin;
    if (max) *max = m_fValueMax;
}

int64_t CWaveBuffer::GetWindowsAppended() const { return ReadLocked(m_lock, m_nWindowsAppended); }
int CWaveBuffer::GetPartialCount() const { return ReadLocked(m_lock, m_nPartialCount); }

int CWaveBuffer::GetArraySampleCount() const {
    CAutoBaseLock guard(m_lock);
    return m_pSamples ? m_nWindowsHeld * m_nWindowLength : 0;
}

int CWaveBuffer::GetStagedSampleCount() const {
    CAutoBaseLock guard(m_lock);
    return m_staging.GetAvailSize() / WaveBytesPerSample(m_nSampleType);
}

int CWaveBuffer::ReadSamples(int first, int count, double* out) const {
    CAutoBaseLock guard(m_lock);
    if (m_pSamples == nullptr || out == nullptr || first < 0 || count <= 0) return 0;
    const int64_t cap = int64_t(m_nWindowsHeld) * m_nWindowLength;
    const int64_t last = std::min<int64_t>(cap, int64_t(first) + count);
    int copied = 0;
    for (int64_t i = first; i < last; ++i, ++copied) {
        if (!ReadSample(m_pSamples, m_nSampleType, i, &out[copied])) return 0;
    }
    return copied;
}

std::vector<double> CWaveBuffer::ReadVisibleSamples(double zoom) const {
    CAutoBaseLock guard(m_lock);
    std::vector<double> out;
    int64_t start = 0, cnt = 0;
    if (!VisibleWindowLocked(zoom, m_nScrollOffset, &start, &cnt)) return out;
    out.resize(static_cast<size_t>(cnt));
    for (int64_t i = 0; i < cnt; ++i) {
        if (!ReadSample(m_pSamples, m_nSampleType, start + i, &out[static_cast<size_t>(i)])) return {};
    }
    return out;
}
