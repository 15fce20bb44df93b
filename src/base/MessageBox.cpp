#include "base/MessageBox.h"

#include <cstdio>
#include <mutex>

namespace korva::base {

namespace {
std::mutex g_HandlerMutex;
MessageHandler g_Handler;
std::string g_ProgramName = "KorvaTool";
thread_local MessageForwarder t_Forwarder;

MsgAnswer ShowHere(const std::string& text, const std::string& caption, MsgStyle style) {
    MessageHandler handler;
    {
        std::lock_guard lock(g_HandlerMutex);
        handler = g_Handler;
    }
    if (handler) return handler(text, caption, style);
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    const bool question = style == MsgStyle::YesNo || style == MsgStyle::YesNoQuestion;
    return question ? MsgAnswer::No : MsgAnswer::Ok;
}
}  // namespace

void SetThreadMessageForwarder(MessageForwarder forward) { t_Forwarder = std::move(forward); }

MessageHandler SetMessageHandler(MessageHandler handler) {
    std::lock_guard lock(g_HandlerMutex);
    std::swap(handler, g_Handler);
    return handler;
}

MsgAnswer ShowMessage(const std::string& text, MsgStyle style) {
    return ShowMessageCaptioned(text, g_ProgramName, style);
}

MsgAnswer ShowMessageCaptioned(const std::string& text, const std::string& caption, MsgStyle style) {
    if (t_Forwarder) return t_Forwarder([&] { return ShowHere(text, caption, style); });
    return ShowHere(text, caption, style);
}

void SetProgramName(const std::string& name) { g_ProgramName = name; }
const std::string& ProgramName() { return g_ProgramName; }

}  // namespace korva::base
