// Times N sequential GET /v1/me calls (bearer token, as the account calls send them) through the process's
// HTTP session against a keep-alive server on 127.0.0.1, R rounds, and prints the median round with the
// number of connections the server accepted. Exit 1 when a call fails.

#include "ZunoFakeHttpServer.h"
#include "ZunoHttpSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times sequential GET /v1/me calls through the HTTP session to a keep-alive loopback server."));
    parser.addHelpOption();
    const QCommandLineOption callsOption(
        QStringLiteral("calls"), QStringLiteral("Calls per round (default 50)."), QStringLiteral("N"), "50");
    const QCommandLineOption roundsOption(
        QStringLiteral("rounds"), QStringLiteral("Rounds (default 9)."), QStringLiteral("R"), "9");
    parser.addOption(callsOption);
    parser.addOption(roundsOption);
    parser.process(app);
    const int calls = std::max(1, parser.value(callsOption).toInt());
    const int rounds = std::max(1, parser.value(roundsOption).toInt());

    ZunoFakeHttpServer server;
    server.route("GET", "/v1/me",
        ZunoFakeHttpServer::Reply::text(200, R"({"id":"u1","email":"a@example.org","credits_available":12})",
            { { "Content-Type", "application/json" } }));

    ZunoHttpRequest request;
    request.url = QUrl::fromEncoded(server.url("/v1/me"));
    request.timeout = std::chrono::seconds(12);
    request.setHeader("Authorization", "Bearer benchmark-token");
    request.setHeader("Accept", "application/json");

    std::vector<double> roundMs;
    std::size_t connectionsBefore = 0;
    std::vector<std::size_t> connectionsPerRound;
    try {
        for (int round = 0; round < rounds; ++round) {
            connectionsBefore = server.connections().size();
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < calls; ++i) {
                const ZunoHttpResponse response = ZunoHttpSession::shared()->send(request);
                if (response.statusCode != 200) {
                    std::fprintf(stderr, "call answered %d\n", response.statusCode);
                    return 1;
                }
            }
            const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
            roundMs.push_back(elapsed.count());
            connectionsPerRound.push_back(server.connections().size() - connectionsBefore);
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "call failed: %s\n", error.what());
        return 1;
    }
    std::vector<double> sorted = roundMs;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    std::printf("%d sequential calls, %d rounds\n", calls, rounds);
    std::printf("median round: %.2f ms (%.3f ms per call)\n", median, median / calls);
    std::printf("connections accepted: %zu in the first round, %zu in the last\n", connectionsPerRound.front(),
        connectionsPerRound.back());
    std::printf("connections in all: %zu\n", server.connections().size());
    return 0;
}
