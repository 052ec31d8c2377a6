#pragma once

#include "ZunoAIModelSpec.h"

#include <QString>

#include <optional>

// A model found on a local Ollama or LM Studio server, with the catalog entry it was matched to.
struct ZunoAIDiscoveredLocalModel {
    // "ollama/" or "lmstudio/" followed by the server's model name.
    QString id;
    // "ollama" or "lmstudio".
    QString providerId;
    // The name the local server knows the model by.
    QString apiModelId;
    QString displayName;
    // Ollama only.
    std::optional<qint64> sizeBytes;
    std::optional<ZunoAIModelSpec> catalogMatch;

    friend bool operator==(const ZunoAIDiscoveredLocalModel &, const ZunoAIDiscoveredLocalModel &) = default;
};
