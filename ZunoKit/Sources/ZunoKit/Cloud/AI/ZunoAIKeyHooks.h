#pragma once

#include <QString>

#include <functional>

// How a host keeps API keys for the AI settings card, per service origin (scheme, host and port of the
// endpoint). The card calls the key functions on worker threads, possibly two at once, so they must be
// thread-safe and must not touch widgets.
struct ZunoAIKeyHooks {
    std::function<bool(const QString &origin)> hasSavedKey;
    // True only when the key really was stored.
    std::function<bool(const QString &origin, const QString &key)> saveKey;
    // Optional: without it no key can be removed from the card. True when no key remains.
    std::function<bool(const QString &origin)> clearKey;
    // Optional, called on the main thread: hands the user over to the suite's AI application.
    std::function<void()> connectZunoMind;
};
