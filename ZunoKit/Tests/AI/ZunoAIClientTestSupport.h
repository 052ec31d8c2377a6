#pragma once

#include "ZunoAIClient.h"
#include "ZunoFakeHttpServer.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <exception>
#include <mutex>
#include <vector>

// Every piece until the end, and the error that ended the stream, if any.
struct Drained {
    std::vector<QString> pieces;
    std::exception_ptr error;
};

inline Drained drain(ZunoAIChatStream &stream)
{
    Drained drained;
    try {
        while (auto piece = stream.next())
            drained.pieces.push_back(*piece);
    } catch (...) {
        drained.error = std::current_exception();
    }
    return drained;
}

// A client on a fresh account folder whose gateway is the loopback test server, recording every balance.
class ZunoAIClientTestBase : public ::testing::Test {
protected:
    using Reply = ZunoFakeHttpServer::Reply;
    using Balance = ZunoAIClient::BillingBalance;

    ZunoAIClientTestBase()
    {
        for (const char *name : { "QUARNWELL_ACCOUNT_DIR", "DEZEVEVEZU_ACCOUNT_DIR", "QUARNWELL_API_URL" })
            environment.set(name, QByteArray());
    }

    QString url(const QByteArray &path = "/v1/chat") const { return QString::fromLatin1(server.url(path)); }
    ZunoAIConfig config(ZunoAIProvider provider, const QByteArray &path = "/v1/chat") const
    {
        return ZunoAIConfig(provider, url(path), QStringLiteral("test-model"));
    }

    std::vector<Balance> balances() const
    {
        std::lock_guard lock(*balanceMutex);
        return *recordedBalances;
    }

    // The end marker of an OpenAI-compatible stream.
    inline static const QByteArray kDone = "data: [DONE]\n\n";

    // One SSE event carrying `piece` as its delta.
    static QByteArray event(const QByteArray &piece)
    {
        const nlohmann::json object
            = { { "choices", { { { "delta", { { "content", piece.toStdString() } } } } } } };
        return "data: " + QByteArray::fromStdString(object.dump()) + "\n\n";
    }

    ZunoTestHome home;
    ZunoScopedEnvironment environment;
    ZunoFakeHttpServer server;
    std::shared_ptr<ZunoCreditsAccountManager> manager = std::make_shared<ZunoCreditsAccountManager>(
        home.filePath(QStringLiteral("account")), std::nullopt, QString::fromLatin1(server.url("")));
    std::shared_ptr<std::mutex> balanceMutex = std::make_shared<std::mutex>();
    std::shared_ptr<std::vector<Balance>> recordedBalances = std::make_shared<std::vector<Balance>>();
    ZunoAIClient client { ZunoHttpSession::shared(), manager,
        [mutex = balanceMutex, list = recordedBalances](
            std::optional<double> usd, std::optional<double> credits) {
            std::lock_guard lock(*mutex);
            list->push_back({ usd, credits });
        } };
};

// The client error `call` throws, or none.
template <typename Call> std::optional<ZunoAIClientError> clientFailure(Call call)
{
    try {
        call();
    } catch (const ZunoAIClientError &error) {
        return error;
    }
    return std::nullopt;
}

template <typename Error> std::optional<Error> errorOf(std::exception_ptr error)
{
    if (!error)
        return std::nullopt;
    try {
        std::rethrow_exception(error);
    } catch (const Error &typed) {
        return typed;
    } catch (...) {
    }
    return std::nullopt;
}
