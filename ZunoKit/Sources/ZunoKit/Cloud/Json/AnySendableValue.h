#pragma once

#include <QList>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <map>
#include <memory>
#include <optional>
#include <string>

// A JSON value that the agent hands between threads: string, number (a double; integers too), bool,
// array, object (keys unique, unordered) or null. Immutable; copies share their nested values.
//
// From parsed JSON, booleans stay `bool` and every number becomes `number` (nlohmann keeps them apart,
// so a parsed 0 or 1 is a number, never a bool).
class AnySendableValue {
public:
    enum class Kind { string, number, boolean, array, object, null };
    using Array = QList<AnySendableValue>;
    using Object = std::map<QString, AnySendableValue>;

    AnySendableValue();
    static AnySendableValue string(const QString &text);
    static AnySendableValue number(double value);
    static AnySendableValue boolean(bool value);
    static AnySendableValue array(Array elements);
    static AnySendableValue object(Object members);
    static AnySendableValue null() { return AnySendableValue(); }

    Kind kind() const { return m_kind; }
    // The payload of the matching case; empty values for the others.
    const QString &text() const { return m_text; }
    double numberPayload() const { return m_number; }
    bool boolPayload() const { return m_bool; }
    const Array &elements() const;
    const Object &members() const;

    // The generic JSON tree, deeply.
    nlohmann::json toJson() const;
    // Never fails: what is not text, bool, number, array or object becomes null.
    static AnySendableValue fromJson(const nlohmann::json &json);
    static Object objectFromJson(const nlohmann::json &json);
    static nlohmann::json objectToJson(const Object &members);

    // Text of strings, bools and numbers (integers within 64 bits without a fraction, -0 as "0";
    // other numbers in their shortest round-trip form, "inf", "-inf", "nan").
    std::optional<QString> stringValue() const;
    // Bools; strings are true for "true", "1" and "yes" in any letter case, else false.
    std::optional<bool> boolValue() const;
    // Finite numbers within 64 bits truncated toward zero; strings of an optional sign and ASCII digits.
    std::optional<qint64> intValue() const;

    // The wrapped form: {"<case>":{"_0":payload}}, {"null":{}}. A non-finite number throws
    // `ZunoEncodingError`.
    nlohmann::json encoded() const;
    // Throws `ZunoDecodingError` naming the coding path.
    static AnySendableValue decoded(const nlohmann::json &json, const std::string &codingPath = {});

    // Numbers as doubles (NaN never equal, 0 == -0), texts by canonical equivalence, no cross-case equality.
    friend bool operator==(const AnySendableValue &a, const AnySendableValue &b);

private:
    Kind m_kind = Kind::null;
    QString m_text;
    double m_number = 0;
    bool m_bool = false;
    std::shared_ptr<const Array> m_array;
    std::shared_ptr<const Object> m_object;
};

// Texts compared by canonical equivalence (their NFC forms).
bool canonicallyEqual(const QString &a, const QString &b);
