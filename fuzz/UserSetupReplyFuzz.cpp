// Setting replies come from the printer: any stream must parse and decode
// without reading or writing out of bounds, and whatever it decodes must
// still build a set-values command of at most 63 bytes.
#include <cstdint>
#include <cstdlib>

#include "usersetup/ReplyDecoder.h"
#include "usersetup/ReplyParser.h"
#include "usersetup/SetupCommands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korva::usersetup;
    // The first byte picks a short profile list, so list bounds are exercised too.
    SetupLists lists;
    const size_t buffers = size > 0 ? data[0] % 6 : 4;
    for (size_t i = 0; i < buffers; ++i) lists.receiveBuffers.push_back("64");
    lists.codePages = {"0|PC437", "16|WPC1252", "abc", "254|SPACE PAGE", "300|too big"};

    const ParsedReplies parsed = ParseReplies({data, size});
    UserSettings settings;
    for (const SettingReply& reply : parsed.replies) {
        if (reply.data.size() > ReplyParser::kMaxData) std::abort();
        DecodeReply(reply, settings, lists);
    }
    PrepareForWrite(settings);
    if (BuildSetValues(settings, lists).size() > 63) std::abort();
    return 0;
}
