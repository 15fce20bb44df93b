#pragma once
// Why an operation ended as it did, in one small vocabulary that every engine
// and both front ends share. The GUI's detail line and the CLI's text and JSON
// "reason" are derived from it, so a script can branch on the name.
#include <array>
#include <optional>
#include <string_view>

namespace korva::base {

enum class Reason {
    None,           ///< done: the printer confirmed, or nothing could go wrong
    NotConfirmed,   ///< sent, but nothing on the line can confirm it
    NoAnswer,       ///< the printer answered before, but not this time
    Permission,     ///< the port or file may not be opened by this user
    Busy,           ///< another program holds the port (or the printer's lock)
    Gone,           ///< the device vanished (unplugged, unbound, removed)
    Refused,        ///< the Ethernet printer refused the connection
    Unreachable,    ///< no route, no host, or no connection in time
    HangUp,         ///< the line hung up during the operation
    Reset,          ///< the TCP peer reset the link (data was lost)
    Stalled,        ///< the printer stopped taking data
    BadInput,       ///< a picture, image, settings file or value is unusable
    TooLarge,       ///< it does not fit the printer's memory or a limit
    ModelMismatch,  ///< the printer or image is of another model or series
    Cancelled,      ///< the user or a signal stopped it
    FileIo,         ///< reading or writing a file on this machine failed
    Usage,          ///< the command line was wrong
    Failed,         ///< any other failure of the printer or port
    NotKept,        ///< written, but the printer's answers show other values
    Unknowns,       ///< read, but some answers were no value the printer takes
    ConfirmRequired,  ///< sent, not confirmed, and a confirmation was required
};

inline constexpr std::array<std::pair<Reason, std::string_view>, 21> kReasonNames{{
    {Reason::None, "none"},
    {Reason::NotConfirmed, "not-confirmed"},
    {Reason::NoAnswer, "no-answer"},
    {Reason::Permission, "permission"},
    {Reason::Busy, "busy"},
    {Reason::Gone, "gone"},
    {Reason::Refused, "refused"},
    {Reason::Unreachable, "unreachable"},
    {Reason::HangUp, "hang-up"},
    {Reason::Reset, "reset"},
    {Reason::Stalled, "stalled"},
    {Reason::BadInput, "bad-input"},
    {Reason::TooLarge, "too-large"},
    {Reason::ModelMismatch, "model-mismatch"},
    {Reason::Cancelled, "cancelled"},
    {Reason::FileIo, "file-io"},
    {Reason::Usage, "usage"},
    {Reason::Failed, "failed"},
    {Reason::NotKept, "not-kept"},
    {Reason::Unknowns, "unknowns"},
    {Reason::ConfirmRequired, "confirm-required"},
}};

/// The stable name of `reason` ("hang-up", "not-confirmed", ...).
constexpr std::string_view ReasonName(Reason reason) {
    for (const auto& [r, name] : kReasonNames)
        if (r == reason) return name;
    return "failed";
}

constexpr std::optional<Reason> ReasonFromName(std::string_view name) {
    for (const auto& [r, n] : kReasonNames)
        if (n == name) return r;
    return std::nullopt;
}

}  // namespace korva::base
