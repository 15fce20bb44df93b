#pragma once
// The shape of an answer the printer owes a request, as the connection's
// dialogue matches it. Plain types, so codecs can describe their answers.
#include <cstdint>
#include <functional>
#include <span>

namespace korva::port {

/// How the bytes gathered for one request stand.
enum class AnswerFit {
    Partial,  ///< a beginning of the answer; more must come
    Whole,    ///< the whole answer
    NoFit,    ///< cannot be (the start of) this answer
};

/// The shape of one answer, judged on the bytes gathered so far (never empty).
using AnswerRule = std::function<AnswerFit(std::span<const uint8_t> gathered)>;

}  // namespace korva::port
