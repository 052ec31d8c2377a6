#pragma once

#include <QMetaType>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <stdexcept>

// The kind of a release step; the raw value is the lower-case case name.
enum class ZunoVersionBumpKind { build, patch, minor, major };

namespace ZunoVersionBumpKinds {

// Every case in order: build, patch, minor, major.
inline constexpr std::array<ZunoVersionBumpKind, 4> allCases { ZunoVersionBumpKind::build,
    ZunoVersionBumpKind::patch, ZunoVersionBumpKind::minor, ZunoVersionBumpKind::major };
// Exact raw value only.
std::optional<ZunoVersionBumpKind> fromRawValue(const QString &raw);

} // namespace ZunoVersionBumpKinds

QString rawValue(ZunoVersionBumpKind kind);

// Coded as the raw value; decoding anything else throws.
void to_json(nlohmann::json &j, ZunoVersionBumpKind kind);
void from_json(const nlohmann::json &j, ZunoVersionBumpKind &kind);

// MAJOR.MINOR.PATCH release numbers and the suite's policy of single, forward steps.
struct ZunoSemVer {
    std::int64_t major = 0;
    std::int64_t minor = 0;
    std::int64_t patch = 0;

    ZunoSemVer() = default;
    // Negative components become 0.
    ZunoSemVer(std::int64_t major, std::int64_t minor, std::int64_t patch);

    // Trims, drops one leading v/V, needs exactly three non-negative decimal integers.
    static std::optional<ZunoSemVer> parsing(const QString &text);
    // As parsing(), throwing ZunoSemVerError::invalidFormat with the untouched input.
    static ZunoSemVer parse(const QString &text);

    // The next version of that kind. Throws ZunoSemVerError::outOfRange where a component would
    // overflow, never a wrapped number.
    ZunoSemVer bumped(ZunoVersionBumpKind kind) const;
    // Throws the first policy error that the step breaks.
    static void validateTransition(const ZunoSemVer &from, const ZunoSemVer &to, ZunoVersionBumpKind kind);

    QString description() const;

    friend bool operator==(const ZunoSemVer &, const ZunoSemVer &) = default;
    friend auto operator<=>(const ZunoSemVer &, const ZunoSemVer &) = default;
};

// {"major", "minor", "patch"}, all three required. Decoding checks no policy range (a negative
// component decodes), but each must be a whole number in the 64-bit range: a fraction, a number out
// of range, a boolean or text throws.
void to_json(nlohmann::json &j, const ZunoSemVer &v);
void from_json(const nlohmann::json &j, ZunoSemVer &v);

class ZunoSemVerError : public std::runtime_error {
public:
    enum class Kind {
        invalidFormat,
        downgradeNotAllowed,
        multiStepJumpBlocked,
        unexpectedBumpKind,
        outOfRange
    };

    static ZunoSemVerError invalidFormat(const QString &input);
    static ZunoSemVerError downgradeNotAllowed(const QString &from, const QString &to);
    static ZunoSemVerError multiStepJumpBlocked(const QString &from, const QString &to);
    static ZunoSemVerError unexpectedBumpKind(
        ZunoVersionBumpKind expected, const QString &from, const QString &to);
    static ZunoSemVerError outOfRange(const QString &version);

    Kind kind() const { return m_kind; }
    QString input() const { return m_input; } // invalidFormat, outOfRange
    QString from() const { return m_from; }
    QString to() const { return m_to; }
    ZunoVersionBumpKind expected() const { return m_expected; }
    QString errorDescription() const { return QString::fromUtf8(what()); }

    friend bool operator==(const ZunoSemVerError &a, const ZunoSemVerError &b)
    {
        return a.m_kind == b.m_kind && a.m_input == b.m_input && a.m_from == b.m_from && a.m_to == b.m_to
            && a.m_expected == b.m_expected;
    }

private:
    ZunoSemVerError(Kind kind, const QString &text)
        : std::runtime_error(text.toStdString())
        , m_kind(kind)
    {
    }

    Kind m_kind;
    QString m_input;
    QString m_from;
    QString m_to;
    ZunoVersionBumpKind m_expected = ZunoVersionBumpKind::build;
};
