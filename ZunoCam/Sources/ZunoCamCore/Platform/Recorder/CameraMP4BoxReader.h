#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Reads ISO base media boxes from bytes in memory: the boxes inside a range, a child by type, and
// big-endian fields. Every read is bounds-checked; a field outside the bytes reads as none.
class CameraMP4BoxReader {
public:
    struct Box {
        std::uint32_t type = 0;
        std::size_t offset = 0; // of the box's first byte
        std::size_t header = 0; // 8, or 16 with a 64-bit size
        std::size_t size = 0; // header included
        std::size_t body() const { return offset + header; }
        std::size_t end() const { return offset + size; }
    };

    CameraMP4BoxReader(const std::uint8_t *data, std::size_t size);
    explicit CameraMP4BoxReader(const std::vector<std::uint8_t> &data);

    static constexpr std::uint32_t code(std::string_view fourcc)
    {
        return std::uint32_t(std::uint8_t(fourcc[0])) << 24 | std::uint32_t(std::uint8_t(fourcc[1])) << 16
            | std::uint32_t(std::uint8_t(fourcc[2])) << 8 | std::uint32_t(std::uint8_t(fourcc[3]));
    }

    // The box at `offset`, if its header and its whole size lie within [offset, limit).
    std::optional<Box> boxAt(std::size_t offset, std::size_t limit) const;
    // The boxes that tile [from, to) exactly; none when they do not.
    std::optional<std::vector<Box>> children(std::size_t from, std::size_t to) const;
    // The first box of the type directly inside the parent's body, skipping `skip` bytes of fields
    // that come before the children (an entry count, say).
    std::optional<Box> child(const Box &parent, std::string_view type, std::size_t skip = 0) const;
    // The whole buffer as a box list: the first top-level box of the type.
    std::optional<Box> top(std::string_view type) const;

    std::optional<std::uint8_t> u8(std::size_t at) const;
    std::optional<std::uint16_t> u16(std::size_t at) const;
    std::optional<std::uint32_t> u32(std::size_t at) const;
    std::optional<std::uint64_t> u64(std::size_t at) const;
    const std::uint8_t *data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    // The first box of `type` among the boxes in [from, to).
    std::optional<Box> first(std::size_t from, std::size_t to, std::string_view type) const;

    const std::uint8_t *m_data;
    std::size_t m_size;
};
