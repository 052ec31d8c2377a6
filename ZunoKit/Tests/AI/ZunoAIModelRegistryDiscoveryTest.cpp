#include "ZunoAIModelRegistry.h"
#include "ZunoFakeHttpServer.h"
#include "ZunoResidentMemory.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

using Reply = ZunoFakeHttpServer::Reply;

namespace {

// Matching uses the registry's catalog: with an empty cache folder, the built-in one.
struct DiscoveryFixture {
    QTemporaryDir dir;
    ZunoFakeHttpServer server;
    ZunoAIModelRegistry registry { dir.path(), QStringLiteral("http://127.0.0.1:9/models.json") };

    QString ollamaBase() const { return QString::fromLatin1(server.url("/")); } // a trailing "/"
    QString lmStudioBase() const { return QString::fromLatin1(server.url("/v1/")); }
    QList<ZunoAIDiscoveredLocalModel> discover()
    {
        return registry.discoverLocalModels(ollamaBase(), lmStudioBase());
    }
};

const QByteArray kOllamaTags = R"({"models": [
    {"name": "llama3.2:latest", "size": 2019393189, "digest": "a80c4f17acd5"},
    {"name": "mystery:7b", "size": 4.5e9},
    {"name": "half:1b", "size": 1.5},
    {"name": ""},
    {"size": 12},
    {"name": 42}
]})";

const QByteArray kLMStudioModels = R"({"object": "list", "data": [
    {"id": "llama-3.2-3b-instruct", "object": "model"},
    {"id": "qwen/qwen3-8b"},
    {"id": ""}
]})";

QStringList summary(const QList<ZunoAIDiscoveredLocalModel> &models)
{
    QStringList lines;
    for (const ZunoAIDiscoveredLocalModel &m : models) {
        lines.append(QStringList { m.id, m.providerId, m.apiModelId, m.displayName,
            m.sizeBytes ? QString::number(*m.sizeBytes) : QStringLiteral("-"),
            m.catalogMatch ? m.catalogMatch->id : QStringLiteral("-") }
                         .join(QStringLiteral(" | ")));
    }
    return lines;
}

} // namespace

TEST(ZunoAIModelRegistryDiscovery, ListsOllamaThenLMStudioMatchedAgainstTheCatalog)
{
    DiscoveryFixture f;
    f.server.route("GET", "/api/tags", Reply::text(200, kOllamaTags));
    f.server.route("GET", "/v1/models", Reply::text(200, kLMStudioModels));

    EXPECT_EQ(summary(f.discover()),
        QStringList({
            "ollama/llama3.2:latest | ollama | llama3.2:latest | Llama 3.2 3B | 2019393189 | ollama/llama3.2",
            "ollama/mystery:7b | ollama | mystery:7b | mystery:7b (Ollama) | 4500000000 | -",
            "ollama/half:1b | ollama | half:1b | half:1b (Ollama) | - | -",
            "lmstudio/llama-3.2-3b-instruct | lmstudio | llama-3.2-3b-instruct | Llama 3.2 3B (LM Studio) | "
            "- | "
            "lmstudio/llama-3.2-3b-instruct",
            "lmstudio/qwen/qwen3-8b | lmstudio | qwen/qwen3-8b | qwen/qwen3-8b (LM Studio) | - | -",
        }));
    // The trailing "/" of each base is not doubled, and the probes carry no headers of their own.
    const auto requests = f.server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "/api/tags");
    EXPECT_EQ(requests[1].target, "/v1/models");
    for (const auto &request : requests) {
        EXPECT_FALSE(request.header("User-Agent").value_or("").startsWith("ZunoKit"));
        EXPECT_FALSE(request.header("If-None-Match"));
    }
}

TEST(ZunoAIModelRegistryDiscovery, AnUnusableAnswerFromOneServerNeverStopsTheOther)
{
    struct Case {
        const char *name;
        Reply ollama;
    };
    const std::vector<Case> cases = {
        { "server error", Reply::text(500, kOllamaTags) },
        { "not JSON", Reply::text(200, "<html>") },
        { "models is not a list", Reply::text(200, R"({"models": {"name": "x"}})") },
        { "a list element that is no object", Reply::text(200, R"({"models": [{"name": "x"}, "y"]})") },
        { "a top-level list", Reply::text(200, R"([{"name": "x"}])") },
        { "no answer", Reply::closeWithoutAnswer() },
        // Past the 1.4 s limit of a probe.
        { "a hanging server", Reply::hold() },
    };
    for (const Case &c : cases) {
        DiscoveryFixture f;
        f.server.route("GET", "/api/tags", c.ollama);
        f.server.route("GET", "/v1/models", Reply::text(200, R"({"data": [{"id": "local-model"}]})"));
        EXPECT_EQ(summary(f.discover()),
            QStringList(
                { "lmstudio/local-model | lmstudio | local-model | local-model (LM Studio) | - | -" }))
            << c.name;
    }
}

TEST(ZunoAIModelRegistryDiscovery, ClosedPortsAndUnusableBasesGiveNothing)
{
    QTemporaryDir dir;
    ZunoAIModelRegistry registry(dir.path(), QStringLiteral("http://127.0.0.1:9/models.json"));
    QString closedBase;
    {
        ZunoFakeHttpServer stopped;
        closedBase = QString::fromLatin1(stopped.url(""));
    }
    EXPECT_TRUE(registry.discoverLocalModels(closedBase, closedBase + QStringLiteral("/v1")).isEmpty());
    EXPECT_TRUE(registry.discoverLocalModels(QStringLiteral("not a url"), QStringLiteral("ftp://127.0.0.1/"))
                    .isEmpty());
}

TEST(ZunoAIModelRegistryDiscovery, AFloodOfBracketsOnALocalPortCostsLittleMemory)
{
    // Anyone may listen on the model servers' ports while they are down. 16 MiB of "[" once drove the
    // process past a gigabyte; 1 MiB of it, under any body cap, is a million nested arrays.
    const QByteArray mebibyte(1024 * 1024, '[');
    DiscoveryFixture fixture;
    fixture.server.route("GET", "/api/tags", Reply::chunkedBody(std::vector<QByteArray>(16, mebibyte)));
    fixture.server.route("GET", "/v1/models", Reply::text(200, mebibyte.chopped(1)));

    QList<ZunoAIDiscoveredLocalModel> found;
    const qint64 growth = ZunoResidentMemory::peakGrowthDuring([&] { found = fixture.discover(); });
    if (growth < 0)
        GTEST_SKIP() << "the kernel does not let the peak resident size be reset";
    EXPECT_TRUE(found.isEmpty());
    // The caps allow a few MiB of body; the server's own chunk copies add one more. 32 MiB leaves room
    // for the allocator and still sits far below a parsed flood (about 64 bytes per nested array).
    EXPECT_LT(growth, 32 * 1024 * 1024);
    std::printf(
        "resident peak growth for the bracket flood: %.1f MiB\n", static_cast<double>(growth) / (1 << 20));
}
