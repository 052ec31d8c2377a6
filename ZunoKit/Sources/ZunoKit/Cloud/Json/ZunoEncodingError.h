#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <optional>
#include <stdexcept>
#include <string>

// A value that cannot be written as JSON (a non-finite number, which JSON cannot express).
class ZunoEncodingError : public std::runtime_error {
public:
    explicit ZunoEncodingError(const std::string &detail)
        : std::runtime_error(detail)
    {
    }

    // "The data couldn't be written because it isn't in the correct format." in the given language.
    QString errorDescription(std::optional<ZunoLanguage> language = std::nullopt) const;
};
