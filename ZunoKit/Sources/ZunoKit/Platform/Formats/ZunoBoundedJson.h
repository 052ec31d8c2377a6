#pragma once

#include <QByteArrayView>

#include <nlohmann/json.hpp>

// JSON from the network, read with a bound on nesting: a small answer of thousands of opening brackets
// would otherwise become as many heap objects. Never throws.
namespace ZunoBoundedJson {

// Deeper than any answer we read, shallow enough that a hostile one stays cheap.
constexpr int kMaxDepth = 128;

// Whether no array or object in `bytes` nests deeper than `maxDepth` (brackets inside strings do not count).
bool withinDepth(QByteArrayView bytes, int maxDepth = kMaxDepth);
// The parsed value, or a discarded one (`is_discarded()`) when `bytes` is not JSON or nests too deep.
nlohmann::json parse(QByteArrayView bytes);

} // namespace ZunoBoundedJson
