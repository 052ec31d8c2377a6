#pragma once

#include <QString>

#include <optional>

// The folder that the suite's applications of one user share for commands and live status:
// "<Application Support>/Quarnwell/SuiteTelemetry", or a given base folder as it is. Folders are
// made only on demand; new ones are private to the user (mode 0700), since the data folder may be
// readable by others on Linux. Existing folders keep their mode.
class ZunoSuiteFolder {
public:
    // Without a base folder: the suite folder below `ZunoPaths::applicationSupport()`, read now.
    explicit ZunoSuiteFolder(std::optional<QString> baseFolder = std::nullopt);

    QString path() const { return m_path; }
    // `path()` joined with `name`; creates nothing.
    QString filePath(const QString &name) const;

    // Makes `name` below the suite folder (empty: the suite folder itself) with every missing parent,
    // each new one with mode 0700. Its path, or none with `failure` saying why.
    std::optional<QString> ensureSubfolder(const QString &name, QString *failure = nullptr) const;

private:
    QString m_path;
};
