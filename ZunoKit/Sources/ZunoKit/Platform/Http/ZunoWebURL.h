#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// What "parses as a URL" means for every network address the framework is given: strict syntax, absolute,
// scheme http or https (any letter case) and a non-empty host. Anything else gives none.
namespace ZunoWebURL {

std::optional<QUrl> parse(const QString &text);

} // namespace ZunoWebURL
