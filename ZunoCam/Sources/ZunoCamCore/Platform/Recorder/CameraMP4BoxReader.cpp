#include "CameraMP4BoxReader.h"

#include <algorithm>

CameraMP4BoxReader::CameraMP4BoxReader(const std::uint8_t *data, std::size_t size)
    : m_data(data)
    , m_size(size)
{
}

CameraMP4BoxReader::CameraMP4BoxReader(const std::vector<std::uint8_t> &data)
    : CameraMP4BoxReader(data.data(), data.size())
{
}

std::optional<CameraMP4BoxReader::Box> CameraMP4BoxReader::boxAt(std::size_t offset, std::size_t limit) const
{
    limit = std::min(limit, m_size);
    const auto size32 = u32(offset);
    const auto type = u32(offset + 4);
    if (!size32 || !type || offset + 8 > limit)
        return std::nullopt;
    Box box;
    box.type = *type;
    box.offset = offset;
    box.header = 8;
    std::uint64_t size = *size32;
    if (size == 1) {
        const auto large = u64(offset + 8);
        if (!large)
            return std::nullopt;
        box.header = 16;
        size = *large;
    } else if (size == 0) {
        size = limit - offset; // to the end
    }
    if (size < box.header || size > limit - offset)
        return std::nullopt;
    box.size = std::size_t(size);
    return box;
}

std::optional<std::vector<CameraMP4BoxReader::Box>> CameraMP4BoxReader::children(
    std::size_t from, std::size_t to) const
{
    if (to > m_size || from > to)
        return std::nullopt;
    std::vector<Box> boxes;
    for (std::size_t at = from; at < to;) {
        const auto box = boxAt(at, to);
        if (!box)
            return std::nullopt;
        boxes.push_back(*box);
        at = box->end();
    }
    return boxes;
}

std::optional<CameraMP4BoxReader::Box> CameraMP4BoxReader::child(
    const Box &parent, std::string_view type, std::size_t skip) const
{
    return first(parent.body() + skip, parent.end(), type);
}

std::optional<CameraMP4BoxReader::Box> CameraMP4BoxReader::top(std::string_view type) const
{
    return first(0, m_size, type);
}

std::optional<CameraMP4BoxReader::Box> CameraMP4BoxReader::first(
    std::size_t from, std::size_t to, std::string_view type) const
{
    const auto boxes = children(from, to);
    if (!boxes)
        return std::nullopt;
    for (const Box &box : *boxes) {
        if (box.type == code(type))
            return box;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> CameraMP4BoxReader::u8(std::size_t at) const
{
    if (at >= m_size)
        return std::nullopt;
    return m_data[at];
}

std::optional<std::uint16_t> CameraMP4BoxReader::u16(std::size_t at) const
{
    if (at > m_size || m_size - at < 2)
        return std::nullopt;
    return std::uint16_t(m_data[at] << 8 | m_data[at + 1]);
}

std::optional<std::uint32_t> CameraMP4BoxReader::u32(std::size_t at) const
{
    if (at > m_size || m_size - at < 4)
        return std::nullopt;
    return std::uint32_t(m_data[at]) << 24 | std::uint32_t(m_data[at + 1]) << 16
        | std::uint32_t(m_data[at + 2]) << 8 | std::uint32_t(m_data[at + 3]);
}

std::optional<std::uint64_t> CameraMP4BoxReader::u64(std::size_t at) const
{
    const auto high = u32(at);
    const auto low = u32(at + 4);
    if (!high || !low)
        return std::nullopt;
    return std::uint64_t(*high) << 32 | *low;
}
