#include "CameraMP4BoxWriter.h"

#include <cassert>

void CameraMP4BoxWriter::u8(std::uint8_t value)
{
    m_data.push_back(value);
}

void CameraMP4BoxWriter::u16(std::uint16_t value)
{
    u8(std::uint8_t(value >> 8));
    u8(std::uint8_t(value));
}

void CameraMP4BoxWriter::u32(std::uint32_t value)
{
    u16(std::uint16_t(value >> 16));
    u16(std::uint16_t(value));
}

void CameraMP4BoxWriter::u64(std::uint64_t value)
{
    u32(std::uint32_t(value >> 32));
    u32(std::uint32_t(value));
}

void CameraMP4BoxWriter::fourcc(std::string_view code)
{
    assert(code.size() == 4);
    for (char c : code)
        u8(std::uint8_t(c));
}

void CameraMP4BoxWriter::bytes(const std::uint8_t *data, std::size_t size)
{
    m_data.insert(m_data.end(), data, data + size);
}

void CameraMP4BoxWriter::begin(std::string_view type)
{
    m_open.push_back(m_data.size());
    u32(0);
    fourcc(type);
}

void CameraMP4BoxWriter::beginFull(std::string_view type, std::uint8_t version, std::uint32_t flags)
{
    begin(type);
    u32(std::uint32_t(version) << 24 | (flags & 0xFFFFFF));
}

void CameraMP4BoxWriter::end()
{
    assert(!m_open.empty());
    const std::size_t start = m_open.back();
    m_open.pop_back();
    // Every box built here is far below 4 GiB: the sample tables grow by bytes per frame.
    const auto size = std::uint32_t(m_data.size() - start);
    m_data[start] = std::uint8_t(size >> 24);
    m_data[start + 1] = std::uint8_t(size >> 16);
    m_data[start + 2] = std::uint8_t(size >> 8);
    m_data[start + 3] = std::uint8_t(size);
}
