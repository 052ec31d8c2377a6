#include "ZunoSemVer.h"

#include "ZunoJson.h"

#include <QStringList>

#include <limits>

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

// The standard integer reading: an optional sign, then one or more ASCII digits, nothing else.
std::optional<std::int64_t> readInteger(const QString &piece)
{
    if (piece.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (piece[0] == QLatin1Char('+') || piece[0] == QLatin1Char('-')) {
        negative = piece[0] == QLatin1Char('-');
        i = 1;
    }
    if (i == piece.size())
        return std::nullopt;
    // Accumulate negatively so that the full signed range reads without overflow.
    std::int64_t value = 0;
    for (; i < piece.size(); ++i) {
        const char16_t c = piece[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (std::numeric_limits<std::int64_t>::min() + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == std::numeric_limits<std::int64_t>::min())
            return std::nullopt;
        value = -value;
    }
    return value;
}

std::int64_t plusOne(std::int64_t value, const ZunoSemVer &version)
{
    if (value == kMax)
        throw ZunoSemVerError::outOfRange(version.description());
    return value + 1;
}

} // namespace

QString rawValue(ZunoVersionBumpKind kind)
{
    switch (kind) {
    case ZunoVersionBumpKind::build:
        return QStringLiteral("build");
    case ZunoVersionBumpKind::patch:
        return QStringLiteral("patch");
    case ZunoVersionBumpKind::minor:
        return QStringLiteral("minor");
    case ZunoVersionBumpKind::major:
        return QStringLiteral("major");
    }
    return {};
}

std::optional<ZunoVersionBumpKind> ZunoVersionBumpKinds::fromRawValue(const QString &raw)
{
    for (auto kind : allCases) {
        if (rawValue(kind) == raw)
            return kind;
    }
    return std::nullopt;
}

void to_json(nlohmann::json &j, ZunoVersionBumpKind kind)
{
    j = rawValue(kind).toStdString();
}

void from_json(const nlohmann::json &j, ZunoVersionBumpKind &kind)
{
    const auto decoded = ZunoVersionBumpKinds::fromRawValue(QString::fromStdString(j.get<std::string>()));
    if (!decoded)
        throw nlohmann::json::other_error::create(501, "unknown version bump kind", &j);
    kind = *decoded;
}

ZunoSemVer::ZunoSemVer(std::int64_t major, std::int64_t minor, std::int64_t patch)
    : major(std::max<std::int64_t>(major, 0))
    , minor(std::max<std::int64_t>(minor, 0))
    , patch(std::max<std::int64_t>(patch, 0))
{
}

std::optional<ZunoSemVer> ZunoSemVer::parsing(const QString &text)
{
    QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('v')) || trimmed.startsWith(QLatin1Char('V')))
        trimmed.remove(0, 1);
    const QStringList pieces = trimmed.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (pieces.size() != 3)
        return std::nullopt;
    std::int64_t values[3];
    for (int i = 0; i < 3; ++i) {
        const auto value = readInteger(pieces[i]);
        if (!value || *value < 0)
            return std::nullopt;
        values[i] = *value;
    }
    return ZunoSemVer(values[0], values[1], values[2]);
}

ZunoSemVer ZunoSemVer::parse(const QString &text)
{
    if (auto version = parsing(text))
        return *version;
    throw ZunoSemVerError::invalidFormat(text);
}

ZunoSemVer ZunoSemVer::bumped(ZunoVersionBumpKind kind) const
{
    switch (kind) {
    case ZunoVersionBumpKind::build:
        return *this;
    case ZunoVersionBumpKind::patch:
        return ZunoSemVer(major, minor, plusOne(patch, *this));
    case ZunoVersionBumpKind::minor:
        return ZunoSemVer(major, plusOne(minor, *this), 0);
    case ZunoVersionBumpKind::major:
        return ZunoSemVer(plusOne(major, *this), 0, 0);
    }
    return *this;
}

void ZunoSemVer::validateTransition(const ZunoSemVer &from, const ZunoSemVer &to, ZunoVersionBumpKind kind)
{
    if (to < from)
        throw ZunoSemVerError::downgradeNotAllowed(from.description(), to.description());
    if (to == from.bumped(kind))
        return;
    // Differences are taken only where `to` is not lower, so they cannot overflow into a wrong verdict.
    const auto atLeastTwoAbove = [](std::int64_t a, std::int64_t b) { return b > a && b - a >= 2; };
    if (atLeastTwoAbove(from.major, to.major)
        || (to.major == from.major && atLeastTwoAbove(from.minor, to.minor))
        || (to.major == from.major && to.minor == from.minor && atLeastTwoAbove(from.patch, to.patch)))
        throw ZunoSemVerError::multiStepJumpBlocked(from.description(), to.description());
    throw ZunoSemVerError::unexpectedBumpKind(kind, from.description(), to.description());
}

QString ZunoSemVer::description() const
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(patch);
}

void to_json(nlohmann::json &j, const ZunoSemVer &v)
{
    j = nlohmann::json { { "major", v.major }, { "minor", v.minor }, { "patch", v.patch } };
}

void from_json(const nlohmann::json &j, ZunoSemVer &v)
{
    v.major = ZunoJson::strictInteger(j.at("major"));
    v.minor = ZunoJson::strictInteger(j.at("minor"));
    v.patch = ZunoJson::strictInteger(j.at("patch"));
}

ZunoSemVerError ZunoSemVerError::invalidFormat(const QString &input)
{
    ZunoSemVerError e(Kind::invalidFormat,
        QStringLiteral("Invalid SemVer 2.0.0 string: '") + input
            + QStringLiteral("' (expected MAJOR.MINOR.PATCH)."));
    e.m_input = input;
    return e;
}

ZunoSemVerError ZunoSemVerError::downgradeNotAllowed(const QString &from, const QString &to)
{
    ZunoSemVerError e(
        Kind::downgradeNotAllowed, QStringLiteral("Version downgrade blocked: %1 -> %2.").arg(from, to));
    e.m_from = from;
    e.m_to = to;
    return e;
}

ZunoSemVerError ZunoSemVerError::multiStepJumpBlocked(const QString &from, const QString &to)
{
    ZunoSemVerError e(Kind::multiStepJumpBlocked,
        QStringLiteral("Multi-step version jump blocked by Quarnwell policy: %1 -> %2. "
                       "Only +1 increments are permitted.")
            .arg(from, to));
    e.m_from = from;
    e.m_to = to;
    return e;
}

ZunoSemVerError ZunoSemVerError::unexpectedBumpKind(
    ZunoVersionBumpKind expected, const QString &from, const QString &to)
{
    ZunoSemVerError e(Kind::unexpectedBumpKind,
        QStringLiteral("Transition %1 -> %2 does not match requested '%3' bump.")
            .arg(from, to, rawValue(expected)));
    e.m_from = from;
    e.m_to = to;
    e.m_expected = expected;
    return e;
}

ZunoSemVerError ZunoSemVerError::outOfRange(const QString &version)
{
    ZunoSemVerError e(Kind::outOfRange,
        QStringLiteral("Version %1 cannot be bumped: a component is at its largest value.").arg(version));
    e.m_input = version;
    return e;
}
