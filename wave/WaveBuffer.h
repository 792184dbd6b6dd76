// CWaveBuffer: the recent samples of one chart channel.
//
// A fixed array of M x N samples (N = window length, M = windows held), oldest
// first and newest last, fed from any thread through AppendSamples and read on
// the user-interface thread to build the pixel points of a curve or to find
// the sample under a pixel column. Every operation holds the buffer's own lock
// for its whole duration, so one thread may append while another draws.
//
// Windows-free: builds on the host (sanitizers) and in the tool.
#pragma once

#include <cstdint>
#include <vector>

#include "Tavo_Common.h"

// Sample encodings (m_nSampleType).
enum WaveSampleType {
    WAVE_SAMPLE_INT16 = 0,   // 16-bit signed integer
    WAVE_SAMPLE_INT32 = 1,   // 32-bit signed integer
    WAVE_SAMPLE_DOUBLE = 2,  // IEEE 754 double, 8 bytes
};

// A chart point as stored in a CPtrArrayCtrl entry: x in the low 32 bits,
// y in the high 32 bits, both client pixels. The entry is never dereferenced.
inline void* WavePointPack(int x, int y) {
    const uint64_t v =
        static_cast<uint64_t>(static_cast<uint32_t>(x)) | (static_cast<uint64_t>(static_cast<uint32_t>(y)) << 32);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(v));
}
inline int WavePointX(const void* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p) & 0xFFFFFFFFu));
}
inline int WavePointY(const void* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) >> 32));
}

// Bytes per sample of an encoding: 2, 4 or 8; 2 for any unknown code.
int WaveBytesPerSample(int sampleType);

class CWaveBuffer {
public:
    // Largest sample array the buffer agrees to hold; larger configurations
    // are refused and the previous one stays.
    static constexpr int64_t kMaxArrayBytes = int64_t(1) << 28;

    CWaveBuffer();
    virtual ~CWaveBuffer();
    CWaveBuffer(const CWaveBuffer&) = delete;
    CWaveBuffer& operator=(const CWaveBuffer&) = delete;

    // Appends count samples in the current encoding. Any thread. Ignored
    // when count <= 0, samples is null or the array does not exist yet.
    void AppendSamples(const void* samples, int count);

    // Makes the array hold k + 1 windows, keeping its bytes from the start.
    // k < 0 (or a size beyond kMaxArrayBytes) is ignored.
    void SetHistoryWindows(int k);
    // Change the encoding or N. When the array's byte size changes, the
    // array is replaced by a zero-filled one and the staged bytes dropped.
    // N < 1 (or a size beyond kMaxArrayBytes) is ignored.
    void SetSampleType(int type);
    void SetWindowLength(int n);

    void SetValueRange(double min, double max);
    void SetScrollOffset(int offset);
    void SetWholeWindowsOnly(BOOL whole);

    // Append the visible window's points (see WavePointPack) to points.
    // plot: plot rectangle in client pixels; zoom: the chart's zoom factor.
    // Each variant produces nothing unless the buffer's encoding is its own,
    // so a concurrent SetSampleType never makes it read the wrong width.
    void MapToPointsInt16(const RECT& plot, double zoom, CPtrArrayCtrl& points);
    void MapToPointsInt32(const RECT& plot, double zoom, CPtrArrayCtrl& points);
    void MapToPointsDouble(const RECT& plot, double zoom, CPtrArrayCtrl& points);
    // Picks the variant under the lock; no points for an unknown encoding.
    void MapToPoints(const RECT& plot, double zoom, CPtrArrayCtrl& points);

    // TRUE and the outputs filled when pixel column x (relative to the
    // plot's left edge) shows a sample: pos = index in the visible window
    // modulo N, type = encoding, value = the sample, y = its row relative to
    // the plot's top. Stores the scroll offset clamped into [0, N]. Null
    // output pointers are allowed.
    BOOL SampleAtColumn(const RECT& plot, double zoom, int x, int* pos, int* type, double* value, double* y);

    // Locked reads of the state.
    int GetSampleType() const;
    int GetWindowLength() const;
    int GetWindowsHeld() const;
    int GetScrollOffset() const;
    BOOL IsWholeWindowsOnly() const;
    void GetValueRange(double* min, double* max) const;
    int64_t GetWindowsAppended() const;
    int GetPartialCount() const;
    // Samples in the array (M x N), 0 while it does not exist.
    int GetArraySampleCount() const;
    // Whole samples waiting in the staging buffer.
    int GetStagedSampleCount() const;
    // Copies up to count samples from array index first on, converted to
    // double; returns how many were copied (0 for an unknown encoding).
    int ReadSamples(int first, int count, double* out) const;
    // The samples the curve shows at zoom (the visible window at the current
    // scroll offset), oldest first, converted to double; empty when nothing
    // is shown. One consistent state: read under the lock in one go.
    std::vector<double> ReadVisibleSamples(double zoom) const;

private:
    template <class T>
    void MapToPointsAs(int code, const RECT& plot, double zoom, CPtrArrayCtrl& points);
    template <class T>
    void MapLocked(const RECT& plot, double zoom, CPtrArrayCtrl& points);
    // Replaces the array by a zero-filled one of M x N samples of the given
    // encoding, keeping min(old, new) bytes from the front when keep is set.
    // false (and nothing changed) when the size is refused or memory runs out.
    bool ReallocateLocked(int type, int n, int m, bool keep);
    int64_t ArrayBytesLocked() const;
    // Visible window inside the array: first index and sample count.
    bool VisibleWindowLocked(double zoom, int offset, int64_t* start, int64_t* count) const;

    // Every field below is guarded by m_lock; no field is read or written
    // without it. Writers: AppendSamples (any thread, in the tool the
    // acquisition thread) and the setters (user-interface thread).
    mutable CBaseLock m_lock;
    int32_t m_nSampleType;       // setters
    double m_fValueMin;          // setters
    double m_fValueMax;          // setters
    int32_t m_nScrollOffset;     // setters; SampleAtColumn stores it clamped
    int32_t m_nWindowLength;     // N; setters
    int32_t m_nWindowsHeld;      // M; setters
    BOOL m_bWholeWindowsOnly;    // setters
    unsigned char* m_pSamples;   // owned, M x N samples or null; contents: AppendSamples, array: setters
    CBaseBuffer m_staging;       // bytes not yet moved into the array; AppendSamples, emptied by setters
    int64_t m_nWindowsAppended;  // AppendSamples
    int32_t m_nPartialCount;     // AppendSamples
};
