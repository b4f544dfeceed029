#pragma once

// What the evaluator's scan and the formula steps built from it share: the kinds of token the
// scan reports and the tolerance of number comparisons. Private to the evaluator's sources.
namespace caculate_tokens {

constexpr int kTokOperator = 1;
constexpr int kTokName = 2;
constexpr int kTokFunction = 3;
constexpr int kTokNumber = 4;
constexpr int kTokString = 5;

constexpr double kTolerance = 0.0000001;

}  // namespace caculate_tokens
