#include "UserSettingCommand.h"

#include <algorithm>
#include <string>

#include "Hex.h"
#include "Printer.h"

namespace korva::sim {
namespace {
constexpr uint8_t kReplyHeader = 0x37;
constexpr uint8_t kReplyId = 0x27;
constexpr uint8_t kSeparator = 0x1F;
constexpr uint8_t kTerminator = 0x00;

bool Is(std::span<const uint8_t> params, std::initializer_list<uint8_t> expected) {
    return params.size() == expected.size() &&
           std::equal(params.begin(), params.end(), expected.begin());
}
}  // namespace

std::vector<uint8_t> BuildSettingReply(int number, const std::string& value) {
    std::vector<uint8_t> out{kReplyHeader, kReplyId};
    for (char c : std::to_string(number)) out.push_back(static_cast<uint8_t>(c));
    out.push_back(kSeparator);
    out.insert(out.end(), value.begin(), value.end());
    out.push_back(kTerminator);
    return out;
}

void HandleUserSettingCommand(Printer& printer, std::span<const uint8_t> params,
                              const std::function<void(std::vector<uint8_t>)>& reply) {
    const std::string hex = ToHex(params);
    switch (params.empty() ? -1 : params[0]) {
        case 1:  // enter setup: 01 'I' 'N'
            if (!Is(params, {0x01, 'I', 'N'})) break;
            printer.SetSetupMode(true);
            printer.Event("GS ( E 1: setup mode entered");
            printer.Changed();
            return;
        case 2:  // leave setup: 02 'O' 'U' 'T'
            if (!Is(params, {0x02, 'O', 'U', 'T'})) break;
            printer.SetSetupMode(false);
            printer.Event("GS ( E 2: setup mode left");
            printer.Changed();
            return;
        case 5: {
            if (!printer.SetupMode()) {
                printer.Event("GS ( E 5: set values outside setup mode ignored: " + hex);
                printer.Changed();
                return;
            }
            std::string error;
            if (printer.Settings().ApplySetValues(params.subspan(1), &error)) {
                printer.ApplyNvCapacity();
                printer.Event("GS ( E 5: settings written");
            } else {
                printer.Event("GS ( E 5: refused, " + error);
            }
            printer.Changed();
            return;
        }
        case 6: {
            if (params.size() != 2) break;
            auto value = printer.Settings().Answer(params[1]);
            if (!value) {
                printer.Event("GS ( E 6: no setting " + std::to_string(params[1]) + "; no answer");
                printer.Changed();
                return;
            }
            reply(BuildSettingReply(params[1], *value));
            return;
        }
        default:
            break;
    }
    printer.Event("GS ( E: unknown or malformed function: " + hex);
    printer.Changed();
}

}  // namespace korva::sim
