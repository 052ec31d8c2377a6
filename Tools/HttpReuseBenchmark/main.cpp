// Times GET /v1/me calls (bearer token, as the account calls send them) through the process's HTTP session
// against a keep-alive server on 127.0.0.1: T threads at once, N sequential calls each, R rounds. Prints the
// median round and the connections the server accepted per request. Exit 1 when a call fails.

#include "ZunoFakeHttpServer.h"
#include "ZunoHttpSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// N calls on the calling thread; the first failure's text, or empty.
std::string runCalls(const ZunoHttpRequest &request, int calls)
{
    try {
        for (int i = 0; i < calls; ++i) {
            const ZunoHttpResponse response = ZunoHttpSession::shared()->send(request);
            if (response.statusCode != 200)
                return "call answered " + std::to_string(response.statusCode);
        }
    } catch (const std::exception &error) {
        return std::string("call failed: ") + error.what();
    }
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times GET /v1/me calls through the HTTP session to a "
                                                    "keep-alive loopback server, from one or more threads."));
    parser.addHelpOption();
    const QCommandLineOption callsOption(QStringLiteral("calls"),
        QStringLiteral("Sequential calls per thread and round (default 50)."), QStringLiteral("N"), "50");
    const QCommandLineOption threadsOption(QStringLiteral("threads"),
        QStringLiteral("Threads calling at once (default 1)."), QStringLiteral("T"), "1");
    const QCommandLineOption roundsOption(
        QStringLiteral("rounds"), QStringLiteral("Rounds (default 9)."), QStringLiteral("R"), "9");
    parser.addOption(callsOption);
    parser.addOption(threadsOption);
    parser.addOption(roundsOption);
    parser.process(app);
    const int calls = std::max(1, parser.value(callsOption).toInt());
    const int threads = std::max(1, parser.value(threadsOption).toInt());
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
    std::vector<std::size_t> connectionsPerRound;
    for (int round = 0; round < rounds; ++round) {
        const std::size_t connectionsBefore = server.connections().size();
        std::mutex failureMutex;
        std::string failure;
        const auto start = std::chrono::steady_clock::now();
        {
            std::vector<std::jthread> workers;
            for (int t = 0; t < threads; ++t) {
                workers.emplace_back([&] {
                    const std::string text = runCalls(request, calls);
                    const std::lock_guard lock(failureMutex);
                    if (failure.empty())
                        failure = text;
                });
            }
        }
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        if (!failure.empty()) {
            std::fprintf(stderr, "%s\n", failure.c_str());
            return 1;
        }
        roundMs.push_back(elapsed.count());
        connectionsPerRound.push_back(server.connections().size() - connectionsBefore);
    }
    std::vector<double> sorted = roundMs;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    const int requests = calls * threads * rounds;
    std::printf("%d thread(s) x %d sequential calls, %d rounds\n", threads, calls, rounds);
    std::printf("median round: %.2f ms (%.3f ms per call)\n", median, median / (calls * threads));
    std::printf("connections accepted: %zu in the first round, %zu in the last\n",
        connectionsPerRound.front(), connectionsPerRound.back());
    std::printf("connections in all: %zu for %d requests (%.3f per request)\n", server.connections().size(),
        requests, static_cast<double>(server.connections().size()) / requests);
    return 0;
}
