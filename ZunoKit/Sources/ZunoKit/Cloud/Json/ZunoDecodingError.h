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
    // A failure at a coding path ("messages[2].steps"), with its own description.
    ZunoDecodingError(const std::string &codingPath, const std::string &description)
        : std::runtime_error(codingPath.empty() ? description : codingPath + ": " + description)
        , m_codingPath(codingPath)
        , m_description(description)
    {
    }

    // Empty for failures made with a detail alone.
    const std::string &codingPath() const { return m_codingPath; }
    const std::string &description() const { return m_description; }

    // "The data couldn't be read because it isn't in the correct format." in the given language (the
    // current one when none is given).
    QString errorDescription(std::optional<ZunoLanguage> language = std::nullopt) const;

private:
    std::string m_codingPath;
    std::string m_description;
};
