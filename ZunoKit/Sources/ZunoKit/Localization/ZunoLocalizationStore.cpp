#include "ZunoLocalizationStore.h"

#include "ZunoBundle.h"
#include "ZunoJson.h"
#include "ZunoLZFSEDecoder.h"
#include "ZunoLocalizationPack.h"
#include "ZunoPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTextBoundaryFinder>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <span>
#include <vector>

namespace {

// ---- Characters as the user sees them ----------------------------------------------------------

// The character (grapheme cluster) boundaries of a text, found once and asked many times.
class Graphemes {
public:
    explicit Graphemes(const QString &text)
    {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
        m_boundaries.push_back(0);
        for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary())
            m_boundaries.push_back(at);
    }

    qsizetype count() const { return qsizetype(m_boundaries.size()) - 1; }
    // Code units of the first `n` characters; `n` is at most `count()`.
    qsizetype prefixLength(qsizetype n) const { return m_boundaries[std::size_t(n)]; }
    // Where the last `n` characters start; `n` is at most `count()`.
    qsizetype suffixStart(qsizetype n) const { return m_boundaries[std::size_t(count() - n)]; }
    bool isBoundary(qsizetype position) const
    {
        return std::binary_search(m_boundaries.begin(), m_boundaries.end(), position);
    }

private:
    std::vector<qsizetype> m_boundaries;
};

// The first occurrence of `needle` in text[from, end) that starts and ends between characters.
qsizetype findWhole(
    const QString &text, const Graphemes &characters, const QString &needle, qsizetype from, qsizetype end)
{
    for (qsizetype at = text.indexOf(needle, from); at >= 0 && at + needle.size() <= end;
         at = text.indexOf(needle, at + 1)) {
        if (characters.isBoundary(at) && characters.isBoundary(at + needle.size()))
            return at;
    }
    return -1;
}

QString placeholder(int index)
{
    return QLatin1Char('{') + QString::number(index) + QLatin1Char('}');
}

// ---- Templates ---------------------------------------------------------------------------------

struct CompiledTemplate {
    QStringList sourceLiterals; // always placeholderCount + 1 pieces, any of them may be empty
    int placeholderCount = 0;
    QString targetTemplate;
    qsizetype literalWeight = 0; // characters in sourceLiterals

    static std::optional<CompiledTemplate> compile(const QString &source, const QString &target)
    {
        CompiledTemplate t;
        qsizetype from = 0;
        for (int index = 0;; ++index) {
            const QString token = placeholder(index);
            const qsizetype at = source.indexOf(token, from);
            if (at < 0)
                break;
            t.sourceLiterals.append(source.mid(from, at - from));
            from = at + token.size();
            ++t.placeholderCount;
        }
        if (t.placeholderCount == 0)
            return std::nullopt;
        t.sourceLiterals.append(source.mid(from));
        for (const QString &literal : std::as_const(t.sourceLiterals))
            t.literalWeight += Graphemes(literal).count();
        if (t.literalWeight < 2)
            return std::nullopt;
        t.targetTemplate = target;
        return t;
    }

    // `characters` are the boundaries of `text`.
    std::optional<QString> apply(const QString &text, const Graphemes &characters) const
    {
        if (characters.count() < literalWeight)
            return std::nullopt;
        const QString &first = sourceLiterals.constFirst();
        const QString &last = sourceLiterals.constLast();
        if (!first.isEmpty() && !(text.startsWith(first) && characters.isBoundary(first.size())))
            return std::nullopt;
        if (!last.isEmpty() && !(text.endsWith(last) && characters.isBoundary(text.size() - last.size())))
            return std::nullopt;
        const qsizetype regionStart = first.size();
        const qsizetype regionEnd = text.size() - last.size();
        if (regionEnd < regionStart)
            return std::nullopt;

        QStringList values;
        qsizetype from = regionStart;
        for (int i = 1; i < placeholderCount; ++i) {
            const QString &inner = sourceLiterals.at(i);
            if (inner.isEmpty())
                return std::nullopt;
            const qsizetype at = findWhole(text, characters, inner, from, regionEnd);
            if (at < 0 || at == from)
                return std::nullopt;
            values.append(text.mid(from, at - from));
            from = at + inner.size();
        }
        if (from >= regionEnd)
            return std::nullopt;
        values.append(text.mid(from, regionEnd - from));
        return substitute(values);
    }

    // One pass over the target, so a value that itself holds "{1}" is never replaced again.
    QString substitute(const QStringList &values) const
    {
        QString out;
        out.reserve(targetTemplate.size());
        const qsizetype n = targetTemplate.size();
        for (qsizetype i = 0; i < n;) {
            if (targetTemplate.at(i) == QLatin1Char('{')) {
                qsizetype j = i + 1;
                while (j < n && j - i <= 9 && targetTemplate.at(j).isDigit()
                    && targetTemplate.at(j).unicode() < 128)
                    ++j;
                const qsizetype digits = j - i - 1;
                const bool leadingZero = digits > 1 && targetTemplate.at(i + 1) == QLatin1Char('0');
                if (digits > 0 && !leadingZero && j < n && targetTemplate.at(j) == QLatin1Char('}')) {
                    const int index = targetTemplate.mid(i + 1, digits).toInt();
                    if (index < values.size()) {
                        out += values.at(index);
                        i = j + 1;
                        continue;
                    }
                }
            }
            out += targetTemplate.at(i);
            ++i;
        }
        return out;
    }
};

// The bucket key of a literal: its first (or last) three characters, or the whole of a two-character
// literal; none when shorter.
std::optional<QString> bucketKey(const QString &literal, bool fromStart)
{
    const Graphemes characters(literal);
    if (characters.count() < 2)
        return std::nullopt;
    if (characters.count() == 2)
        return literal;
    return fromStart ? literal.left(characters.prefixLength(3)) : literal.mid(characters.suffixStart(3));
}

void tryBucket(const QHash<QString, std::vector<CompiledTemplate>> &buckets, const QString &key,
    const QString &text, const Graphemes &characters, std::optional<QString> &result)
{
    if (result || key.isEmpty())
        return;
    const auto it = buckets.constFind(key);
    if (it == buckets.cend())
        return;
    for (const CompiledTemplate &t : *it) {
        if ((result = t.apply(text, characters)))
            return;
    }
}

// ---- Pack files --------------------------------------------------------------------------------

std::vector<std::uint8_t> decompress(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    return ZunoLZFSEDecoder::decompress(std::span(data, std::size_t(bytes.size())));
}

std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool hasLZFSEExtension(const QString &path)
{
    return QFileInfo(path).suffix().toLower() == QLatin1String("lzfse");
}

// A flat object of text to text, or none.
std::optional<QMap<QString, QString>> decodeFlat(const nlohmann::json &j)
{
    if (!j.is_object())
        return std::nullopt;
    QMap<QString, QString> map;
    for (const auto &[key, value] : j.items()) {
        if (!value.is_string())
            return std::nullopt;
        map.insert(QString::fromStdString(key), QString::fromStdString(value.get<std::string>()));
    }
    return map;
}

void mergeNonEmpty(QMap<QString, QString> &into, const QMap<QString, QString> &from)
{
    for (auto it = from.cbegin(); it != from.cend(); ++it) {
        if (!it.value().isEmpty())
            into.insert(it.key(), it.value());
    }
}

// Merges one pack file into `strings` and `templates`; false when the file is missing or unusable.
bool mergePackFile(const QString &path, QMap<QString, QString> &strings, QMap<QString, QString> &templates)
{
    const auto bytes = readFile(path);
    if (!bytes)
        return false;
    nlohmann::json json;
    try {
        if (hasLZFSEExtension(path)) {
            const std::vector<std::uint8_t> plain = decompress(*bytes);
            json = nlohmann::json::parse(plain.begin(), plain.end());
        } else {
            json = nlohmann::json::parse(bytes->cbegin(), bytes->cend());
        }
    } catch (const std::exception &) {
        return false;
    }
    try {
        const auto pack = json.get<ZunoLocalizationPack>();
        if (!pack.strings.isEmpty() || !pack.templates.isEmpty()) {
            mergeNonEmpty(strings, pack.strings);
            mergeNonEmpty(templates, pack.templates);
            return true;
        }
    } catch (const nlohmann::json::exception &) {
    }
    if (const auto flat = decodeFlat(json)) {
        mergeNonEmpty(strings, *flat);
        return true;
    }
    return false;
}

QString normalizedDirectory(const QString &directory)
{
    return QDir::cleanPath(directory);
}

} // namespace

// ---- Catalog -----------------------------------------------------------------------------------

struct ZunoLocalizationStore::Catalog {
    QHash<QString, QString> strings;
    QHash<QString, std::vector<CompiledTemplate>> byPrefix;
    QHash<QString, std::vector<CompiledTemplate>> bySuffix;

    static const std::shared_ptr<const Catalog> &empty()
    {
        static const std::shared_ptr<const Catalog> catalog = std::make_shared<const Catalog>();
        return catalog;
    }

    static std::shared_ptr<const Catalog> build(
        const QMap<QString, QString> &strings, const QMap<QString, QString> &templates)
    {
        auto catalog = std::make_shared<Catalog>();
        for (auto it = strings.cbegin(); it != strings.cend(); ++it)
            catalog->strings.insert(it.key(), it.value());
        for (auto it = templates.cbegin(); it != templates.cend(); ++it) {
            if (it.value().isEmpty())
                continue;
            auto compiled = CompiledTemplate::compile(it.key(), it.value());
            if (!compiled)
                continue;
            if (const auto key = bucketKey(compiled->sourceLiterals.constFirst(), true))
                catalog->byPrefix[*key].push_back(std::move(*compiled));
            else if (const auto key = bucketKey(compiled->sourceLiterals.constLast(), false))
                catalog->bySuffix[*key].push_back(std::move(*compiled));
        }
        const auto byWeight = [](const CompiledTemplate &a, const CompiledTemplate &b) {
            return a.literalWeight > b.literalWeight;
        };
        for (auto &bucket : catalog->byPrefix)
            std::stable_sort(bucket.begin(), bucket.end(), byWeight);
        for (auto &bucket : catalog->bySuffix)
            std::stable_sort(bucket.begin(), bucket.end(), byWeight);
        return catalog;
    }

    std::optional<QString> lookup(const std::optional<QString> &key, const QString &en) const
    {
        if (key) {
            const QString value = strings.value(*key);
            if (!value.isEmpty())
                return value;
        }
        const QString exact = strings.value(en);
        if (!exact.isEmpty())
            return exact;
        if (byPrefix.isEmpty() && bySuffix.isEmpty())
            return std::nullopt;

        const Graphemes characters(en);
        if (characters.count() <= 2)
            return std::nullopt;
        std::optional<QString> result;
        if (!byPrefix.isEmpty()) {
            tryBucket(byPrefix, en.left(characters.prefixLength(3)), en, characters, result);
            tryBucket(byPrefix, en.left(characters.prefixLength(2)), en, characters, result);
        }
        if (!bySuffix.isEmpty()) {
            tryBucket(bySuffix, en.mid(characters.suffixStart(3)), en, characters, result);
            tryBucket(bySuffix, en.mid(characters.suffixStart(2)), en, characters, result);
        }
        return result;
    }
};

// ---- Store -------------------------------------------------------------------------------------

ZunoLocalizationStore::ZunoLocalizationStore() = default;

ZunoLocalizationStore::ZunoLocalizationStore(const QStringList &searchDirectories)
{
    for (const QString &directory : searchDirectories)
        m_extraSearchDirectories.append(normalizedDirectory(directory));
}

ZunoLocalizationStore::~ZunoLocalizationStore() = default;

ZunoLocalizationStore &ZunoLocalizationStore::shared()
{
    static ZunoLocalizationStore store;
    return store;
}

QString ZunoLocalizationStore::sharedSuiteLocalizationsDirectory()
{
    return ZunoPaths::applicationSupport() + QStringLiteral("/Quarnwell/Localizations");
}

QString ZunoLocalizationStore::customLanguagePacksDirectory()
{
    return sharedSuiteLocalizationsDirectory() + QStringLiteral("/Custom");
}

// An absolute path given by the build, never one derived from this file's name (which the compiler
// cache records relative to the checkout, so it would name a folder wherever the studio is started).
QString ZunoLocalizationStore::developmentDirectory(const QString &programDirectory)
{
#if defined(ZUNO_DEVELOPMENT_LOCALIZATIONS) && defined(ZUNO_DEVELOPMENT_PROGRAMS)
    const QString buildPrograms = QDir(QString::fromUtf8(ZUNO_DEVELOPMENT_PROGRAMS)).canonicalPath();
    if (!buildPrograms.isEmpty() && QDir(programDirectory).canonicalPath() == buildPrograms)
        return QString::fromUtf8(ZUNO_DEVELOPMENT_LOCALIZATIONS);
#else
    Q_UNUSED(programDirectory)
#endif
    return {};
}

QStringList ZunoLocalizationStore::candidateDirectories() const
{
    QStringList folders;
    {
        std::lock_guard lock(m_lock);
        folders = m_extraSearchDirectories;
    }
    folders.append(customLanguagePacksDirectory());
    const QString resources = ZunoBundle::main().resourceDirectory;
    if (!resources.isEmpty())
        folders.append(resources + QStringLiteral("/Localizations"));
    folders.append(sharedSuiteLocalizationsDirectory());
    if (QCoreApplication::instance())
        folders.append(developmentDirectory(QCoreApplication::applicationDirPath()));
    // A relative folder would be looked up from wherever the process was started: whoever can place
    // a folder there could change any text on screen.
    folders.removeIf([](const QString &folder) { return !QDir::isAbsolutePath(folder); });
    return folders;
}

QString ZunoLocalizationStore::resolve(
    const std::optional<QString> &key, const QString &en, const QString &tr, ZunoLanguage language) const
{
    {
        std::lock_guard lock(m_lock);
        if (!m_customOverrides.isEmpty()) {
            if (key) {
                const QString value = m_customOverrides.value(*key);
                if (!value.isEmpty())
                    return value;
            }
            const QString value = m_customOverrides.value(en);
            if (!value.isEmpty())
                return value;
        }
    }
    if (language == ZunoLanguage::en)
        return en;
    if (language == ZunoLanguage::tr)
        return tr.isEmpty() ? en : tr;
    if (const auto text = catalog(language)->lookup(key, en))
        return *text;
    if (const auto parent = fallbackParent(language)) {
        if (const auto text = catalog(*parent)->lookup(key, en))
            return *text;
    }
    return en;
}

std::shared_ptr<const ZunoLocalizationStore::Catalog> ZunoLocalizationStore::catalog(
    ZunoLanguage language) const
{
    const QString code = rawValue(language);
    {
        std::lock_guard lock(m_lock);
        const auto it = m_loadedCatalogs.constFind(code);
        if (it != m_loadedCatalogs.cend())
            return *it;
    }

    QMap<QString, QString> strings;
    QMap<QString, QString> templates;
    const QStringList folders = candidateDirectories();
    for (auto folder = folders.crbegin(); folder != folders.crend(); ++folder) {
        const QDir dir(*folder);
        if (!mergePackFile(dir.filePath(code + QStringLiteral(".json.lzfse")), strings, templates))
            mergePackFile(dir.filePath(code + QStringLiteral(".json")), strings, templates);
    }
    const auto loaded
        = strings.isEmpty() && templates.isEmpty() ? Catalog::empty() : Catalog::build(strings, templates);

    std::lock_guard lock(m_lock);
    m_loadedCatalogs.insert(code, loaded);
    return loaded;
}

void ZunoLocalizationStore::preloadIfNeeded(ZunoLanguage language) const
{
    if (language == ZunoLanguage::en || language == ZunoLanguage::tr)
        return;
    catalog(language);
}

void ZunoLocalizationStore::registerSearchDirectory(const QString &directory)
{
    const QString normalized = normalizedDirectory(directory);
    std::lock_guard lock(m_lock);
    if (!m_extraSearchDirectories.contains(normalized))
        m_extraSearchDirectories.prepend(normalized);
    m_loadedCatalogs.clear();
}

void ZunoLocalizationStore::reloadCatalogs()
{
    std::lock_guard lock(m_lock);
    m_loadedCatalogs.clear();
}

void ZunoLocalizationStore::loadJSONPack(const QString &filePath)
{
    using Kind = ZunoLocalizationPackError::Kind;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        throw ZunoLocalizationPackError(Kind::readFailed, file.errorString().toStdString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ZunoLocalizationPackError(Kind::readFailed, file.errorString().toStdString());

    if (hasLZFSEExtension(filePath)) {
        try {
            const std::vector<std::uint8_t> plain = decompress(bytes);
            bytes = QByteArray(reinterpret_cast<const char *>(plain.data()), qsizetype(plain.size()));
        } catch (const ZunoLZFSEError &error) {
            throw ZunoLocalizationPackError(Kind::decompressionFailed, error.what());
        }
    }

    QMap<QString, QString> overrides;
    try {
        const auto json = nlohmann::json::parse(bytes.cbegin(), bytes.cend());
        if (const auto flat = decodeFlat(json))
            overrides = *flat;
        else
            overrides = json.get<ZunoLocalizationPack>().strings;
    } catch (const nlohmann::json::exception &error) {
        throw ZunoLocalizationPackError(Kind::decodingFailed, error.what());
    }

    QHash<QString, QString> table;
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it)
        table.insert(it.key(), it.value());
    std::lock_guard lock(m_lock);
    m_customOverrides = std::move(table);
}

void ZunoLocalizationStore::clearCustomPack()
{
    std::lock_guard lock(m_lock);
    m_customOverrides.clear();
}
