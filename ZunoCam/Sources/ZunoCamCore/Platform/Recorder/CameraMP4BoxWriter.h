#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// Writes ISO base media boxes into memory: big-endian fields, and boxes that nest, each one's size
// filled in when it is closed. Not thread-safe.
class CameraMP4BoxWriter {
public:
    void u8(std::uint8_t value);
    void u16(std::uint16_t value);
    void u32(std::uint32_t value);
    void u64(std::uint64_t value);
    void fourcc(std::string_view code);
    void bytes(const std::uint8_t *data, std::size_t size);
    void bytes(const std::vector<std::uint8_t> &data) { bytes(data.data(), data.size()); }

    // Opens a box of the given type; boxes close in reverse order. A full box also takes its version
    // and flags.
    void begin(std::string_view type);
    void beginFull(std::string_view type, std::uint8_t version, std::uint32_t flags);
    void end();

    const std::vector<std::uint8_t> &data() const { return m_data; }
    std::vector<std::uint8_t> take() { return std::move(m_data); }

private:
    std::vector<std::uint8_t> m_data;
    std::vector<std::size_t> m_open;
};
