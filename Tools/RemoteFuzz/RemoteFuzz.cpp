// Feeds arbitrary bytes through what the remote server does with a received buffer: the
// completeness test, the parser, command reading, routing and serialisation. Besides the
// sanitizers' findings it traps when an answer is not well formed.
#include "TeleprompterRemoteProtocol.h"

#include <cstddef>
#include <cstdint>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace TeleprompterRemoteProtocol;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    isCompleteHTTPRequest(bytes);
    const auto request = parseHTTPRequest(bytes);
    if (!request)
        return 0;
    check(!request->method.isEmpty());
    check(request->body.size() <= bytes.size());

    const auto command = parseCommand(*request);
    if (command && command->kind() == TeleprompterRemoteCommand::Kind::selectScript)
        check(!command->scriptId().isEmpty() && command->scriptId() == command->scriptId().trimmed());
    if (command && command->kind() <= TeleprompterRemoteCommand::Kind::fontDown)
        check(command->delta() >= 1 && command->delta() <= 60);

    const TeleprompterRemoteRouteResult result = route(*request, TeleprompterRemoteState::fallback());
    check(!result.command || (result.response.statusCode == 200 && request->method == u"POST"));
    const QByteArray wire = result.response.serialized();
    const qsizetype headEnd = wire.indexOf("\r\n\r\n");
    check(wire.startsWith("HTTP/1.1 ") && headEnd > 0);
    check(wire.size() - headEnd - 4 == result.response.body.size());
    // Nothing from the request may break the head into extra lines.
    check(wire.left(headEnd).count("\r\n") == 6);
    return 0;
}
