#pragma once

#include "NeuralModel.h"

#include <memory>

// Executes a `NeuralModel`. Building checks every operator's shapes and options (a file that passes
// the loader can still be inconsistent), plans one arena for all activations, and creates and binds
// every operator once; `run()` then only executes them: no allocation per inference.
// The reference backend runs the plain kernels instead, for tests. Not thread-safe: one caller at a time.
class NeuralRuntime {
public:
    enum class Backend { xnnpack, reference };

    // Throws NeuralModelError when the model is inconsistent or uses an operator form we cannot run.
    // `threads` above 1 gives the fast backend a thread pool of that size.
    explicit NeuralRuntime(NeuralModel model, Backend backend = Backend::xnnpack, int threads = 1);
    ~NeuralRuntime();
    NeuralRuntime(const NeuralRuntime &) = delete;
    NeuralRuntime &operator=(const NeuralRuntime &) = delete;

    int inputCount() const;
    int outputCount() const;
    const std::vector<int> &inputShape(int index) const;
    const std::vector<int> &outputShape(int index) const;
    float *input(int index);
    const float *output(int index) const;

    // Runs the whole graph on the current inputs. False (with `error` set) when the backend fails.
    bool run(QString *error = nullptr);

    Backend backend() const;
    // Bytes of the activation arena (the fast backend's working memory).
    std::size_t arenaBytes() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
