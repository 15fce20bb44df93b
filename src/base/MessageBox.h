#pragma once
#include <functional>
#include <string>

namespace korva::base {

/// How a message box looks; mirrors the styles the tools ask for.
enum class MsgStyle {
    Ok,              ///< plain box, OK button, no icon
    OkExclamation,   ///< OK button, exclamation icon (logo pages)
    OkInformation,   ///< OK button, information icon
    YesNo,           ///< question without icon
    YesNoQuestion,   ///< question with the question icon
};

enum class MsgAnswer { Ok, Yes, No, Cancel };

/// The one seam every message box goes through: (text, caption, style) -> answer.
/// The GUI installs a QMessageBox handler, the CLI prints to stderr, tests record.
using MessageHandler =
    std::function<MsgAnswer(const std::string& text, const std::string& caption, MsgStyle style)>;

/// Installs the handler; returns the previous one so tests can restore it.
MessageHandler SetMessageHandler(MessageHandler handler);

/// Shows a message captioned with the program name. Without a handler it is
/// written to stderr and questions are answered No (never a silent Yes).
MsgAnswer ShowMessage(const std::string& text, MsgStyle style = MsgStyle::Ok);

/// The same with a caption of its own, for the few questions that carry one.
MsgAnswer ShowMessageCaptioned(const std::string& text, const std::string& caption, MsgStyle style);

/// Runs a box where it may be shown; used for the boxes asked for on one thread.
using MessageForwarder = std::function<MsgAnswer(const std::function<MsgAnswer()>& show)>;
/// Routes the message boxes asked for on the calling thread through `forward`
/// (a step worker hands them to the window's thread, which owns the widgets
/// and the test recorders). An empty one shows them directly again.
void SetThreadMessageForwarder(MessageForwarder forward);

/// Caption of every box: the executable's base name.
void SetProgramName(const std::string& name);
const std::string& ProgramName();

}  // namespace korva::base
