#pragma once

#include <QString>

#include <stdexcept>

// An image-analysis failure: an error domain, a code within it and a readable description, so that a
// caller can tell the services' own errors from those of the engines underneath.
class ZunoVisionError : public std::runtime_error {
public:
    // The domain of the failures of the recognition and registration engines themselves.
    static inline const QString kEngineDomain = QStringLiteral("com.quarnwell.zunokit.vision");

    // Codes of the engine domain.
    enum EngineCode {
        InvalidImage = 1, // the image has no pixels
        UnsupportedLanguage = 2, // a recognition language that is unknown or has no data installed
        EngineFailure = 3, // the engine refused or failed to process the image
    };

    ZunoVisionError(const QString &domain, int code, const QString &localizedDescription);

    QString domain() const { return m_domain; }
    int code() const { return m_code; }
    QString localizedDescription() const { return m_description; }

private:
    QString m_domain;
    int m_code;
    QString m_description;
};
