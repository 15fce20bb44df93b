#pragma once
// The printer's own NV graphics size, asked before an upload: the user-setting
// request for setting 2 and its answer, so the logos are checked against what
// this printer holds rather than the largest size there is.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "port/AnswerFit.h"

namespace korva::logo {

/// GS ( E function 6 for setting 2 (NV graphic memory size).
std::array<uint8_t, 7> NvSizeRequest();

struct NvSizeAnswer {
    bool answered = false;        ///< the answer for setting 2 has arrived
    std::optional<long> bytes;    ///< its size; nullopt when the answer is no size
};

/// The shape of the answer to NvSizeRequest(), for the connection's dialogue.
port::AnswerRule NvSizeAnswerRule();

/// Looks through the bytes received since the request for the answer.
NvSizeAnswer FindNvSizeAnswer(std::span<const uint8_t> received);

}  // namespace korva::logo
