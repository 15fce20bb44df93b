#include "logo/NvSizeAnswer.h"

#include "usersetup/ReplyParser.h"
#include "usersetup/SetupCommands.h"
#include "usersetup/UserSettings.h"

namespace korva::logo {

std::array<uint8_t, 7> NvSizeRequest() {
    return usersetup::BuildRequest(usersetup::kNvGraphicMemory);
}

port::AnswerRule NvSizeAnswerRule() {
    return [](std::span<const uint8_t> gathered) {
        return usersetup::FitSettingReply(gathered, usersetup::kNvGraphicMemory);
    };
}

NvSizeAnswer FindNvSizeAnswer(std::span<const uint8_t> received) {
    NvSizeAnswer answer;
    for (const usersetup::SettingReply& reply : usersetup::ParseReplies(received).replies) {
        if (reply.number != usersetup::kNvGraphicMemory) continue;
        answer.answered = true;
        // '1'..'7' are 0, 64, ..., 384 KByte; anything else says nothing.
        const char c = reply.data.empty() ? '\0' : reply.data[0];
        answer.bytes = (c >= '1' && c <= '7') ? std::optional<long>((c - '1') * 64L * 1024)
                                              : std::nullopt;
    }
    return answer;
}

}  // namespace korva::logo
