#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <optional>
#include <stdexcept>
#include <string>

// Data that is not in the shape its decoder expects (a missing key, a wrong type, an unknown raw
// value). `what()` names the place for logs; `errorDescription()` is the user-facing text. Shared by
// the credits and AI decoders.
class ZunoDecodingError : public std::runtime_error {
public:
    explicit ZunoDecodingError(const std::string &detail)
        : std::runtime_error(detail)
    {
    }

    // "The data couldn't be read because it isn't in the correct format." in the given language (the
    // current one when none is given).
    QString errorDescription(std::optional<ZunoLanguage> language = std::nullopt) const;
};
