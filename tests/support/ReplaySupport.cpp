#include "ReplaySupport.h"

#include "RadarProtocol.h"

namespace testsupport {

RecordingBuilder& RecordingBuilder::Frames(int count, int firstDistance) {
    for (int i = 0; i < count; ++i) Frame(static_cast<uint8_t>(i % 3), static_cast<uint16_t>(firstDistance + i));
    return *this;
}

RecordingBuilder& RecordingBuilder::Frame(uint8_t state, uint16_t distance) {
    const std::vector<uint8_t> frame = radarproto::EncodeReport(state, distance);
    m_bytes.insert(m_bytes.end(), frame.begin(), frame.end());
    m_frameEnds.push_back(m_bytes.size());
    return *this;
}

RecordingBuilder& RecordingBuilder::Run(uint8_t state, uint16_t distance, int count) {
    for (int i = 0; i < count; ++i) Frame(state, distance);
    return *this;
}

RecordingBuilder& RecordingBuilder::Noise(size_t count, uint8_t byte) {
    m_bytes.insert(m_bytes.end(), count, byte == 0xAA ? 0x20 : byte);
    return *this;
}

RecordingBuilder& RecordingBuilder::CutOffTail(size_t bytes) {
    const std::vector<uint8_t> frame = radarproto::EncodeReport(1, 321);
    if (bytes < 1) bytes = 1;
    if (bytes > frame.size() - 1) bytes = frame.size() - 1;
    m_bytes.insert(m_bytes.end(), frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(bytes));
    return *this;
}

std::FILE* TempFileWith(const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::tmpfile();
    if (file && !bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    if (file) std::rewind(file);
    return file;
}

}  // namespace testsupport
