#pragma once

#include <cstdint>
#include <vector>

class NeuralModel;
struct NeuralOperation;

// Plain, obviously-correct C++ versions of every operator the runtime executes, with the file format's
// semantics (NHWC layout, SAME/VALID padding, numpy broadcasting, padding excluded from pooling
// averages). Slow on purpose: they are the yardstick the fast path is checked against.
namespace NeuralReferenceKernels {

// IEEE half to single precision, including subnormals, infinities and NaN.
void dequantizeHalf(const std::uint16_t *input, float *output, std::int64_t count);
float halfToFloat(std::uint16_t half);

// Runs `op` of `model`, reading its inputs from and writing its outputs to `values` (one vector per
// tensor, already sized; constants come from the model). The model's shapes must have been checked.
void run(const NeuralModel &model, const NeuralOperation &op, std::vector<std::vector<float>> &values);

} // namespace NeuralReferenceKernels
