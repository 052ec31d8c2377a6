#pragma once

#include <QString>

// What an executable's code signature says about the stability of the permission records tied to
// it. Linux keeps no such records, so executables here are `unsignedCode`; the classification of a
// requirement text is kept for the suite's shared data.
class ZunoCodeSignatureStatus {
public:
    // `unsignedCode` stands for the case "unsigned", a C++ keyword.
    enum class Kind { stableCertificate, adHocCDHash, unsignedCode, unknown };

    static ZunoCodeSignatureStatus stableCertificate(const QString &requirement)
    {
        return { Kind::stableCertificate, requirement };
    }
    static ZunoCodeSignatureStatus adHocCDHash(const QString &requirement)
    {
        return { Kind::adHocCDHash, requirement };
    }
    static ZunoCodeSignatureStatus unsignedCode() { return { Kind::unsignedCode, {} }; }
    static ZunoCodeSignatureStatus unknown() { return { Kind::unknown, {} }; }

    Kind kind() const { return m_kind; }
    // The designated-requirement text of the two certificate cases; empty otherwise.
    QString requirement() const { return m_requirement; }

    bool isStableForTCC() const { return m_kind == Kind::stableCertificate; }
    // The requirement text, or "unsigned" / "unknown".
    QString requirementSummary() const;

    friend bool operator==(const ZunoCodeSignatureStatus &, const ZunoCodeSignatureStatus &) = default;

private:
    ZunoCodeSignatureStatus(Kind kind, const QString &requirement)
        : m_kind(kind)
        , m_requirement(requirement)
    {
    }

    Kind m_kind;
    QString m_requirement;
};
