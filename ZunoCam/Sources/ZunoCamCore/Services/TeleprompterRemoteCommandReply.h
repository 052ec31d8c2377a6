#pragma once

#include "TeleprompterRemoteState.h"

#include <atomic>
#include <functional>
#include <memory>

// The completion of one remote command, handed to the owner with the command. The owner claims
// the command before applying it: once the server has answered the request 503 (the owner was too
// late), the claim fails and the command must be dropped, so that a 503 always means "not
// applied". Once claimed, the server waits for the completion instead. Copies share one claim;
// callable from any thread.
class TeleprompterRemoteCommandReply {
public:
    using Completion = std::function<void(const TeleprompterRemoteState &)>;

    // A reply whose command nobody can cancel (owners and tests without a server).
    TeleprompterRemoteCommandReply(Completion completion)
        : TeleprompterRemoteCommandReply(std::move(completion), std::make_shared<std::atomic<int>>(kOpen))
    {
    }
    TeleprompterRemoteCommandReply(Completion completion, std::shared_ptr<std::atomic<int>> claim)
        : m_completion(std::move(completion))
        , m_claim(std::move(claim))
    {
    }

    // True when the command may be applied now; false when it was cancelled.
    bool claim() const
    {
        int open = kOpen;
        return m_claim->compare_exchange_strong(open, kClaimed) || open == kClaimed;
    }
    // The server's side: true when the command was cancelled before anyone claimed it.
    static bool cancel(std::atomic<int> &claim)
    {
        int open = kOpen;
        return claim.compare_exchange_strong(open, kCancelled) || open == kCancelled;
    }
    static constexpr int kOpen = 0;

    void operator()(const TeleprompterRemoteState &state) const
    {
        if (m_completion)
            m_completion(state);
    }

private:
    static constexpr int kClaimed = 1;
    static constexpr int kCancelled = 2;

    Completion m_completion;
    std::shared_ptr<std::atomic<int>> m_claim;
};
