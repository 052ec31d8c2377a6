#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstddef>

// The fifteen capability flags of a model, all required, in this order (aggregate initialisation
// takes them in this order).
struct ZunoAIModelCapabilities {
    bool toolCalling = false;
    bool parallelToolCalling = false;
    bool vision = false;
    bool reasoning = false;
    bool structuredOutputs = false;
    bool jsonMode = false;
    bool streaming = false;
    bool systemPrompt = false;
    bool promptCaching = false;
    bool webSearch = false;
    bool computerUse = false;
    bool codeExecution = false;
    bool pdfInput = false;
    bool audioInput = false;
    bool audioOutput = false;

    friend bool operator==(const ZunoAIModelCapabilities &, const ZunoAIModelCapabilities &) = default;
};

std::size_t qHash(const ZunoAIModelCapabilities &capabilities, std::size_t seed = 0) noexcept;

void to_json(nlohmann::json &j, const ZunoAIModelCapabilities &capabilities);
void from_json(const nlohmann::json &j, ZunoAIModelCapabilities &capabilities);
