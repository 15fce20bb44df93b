#pragma once
// Installs a message handler for the scope of a test: records every box and
// answers questions as told.
#include <string>
#include <vector>

#include "app/MessageBox.h"

namespace korva::test {

class RecordedMessages {
public:
    struct Box {
        std::string text;
        app::MsgStyle style;
    };

    explicit RecordedMessages(app::MsgAnswer answer = app::MsgAnswer::Yes) : m_Answer(answer) {
        m_Previous = app::SetMessageHandler(
            [this](const std::string& text, const std::string&, app::MsgStyle style) {
                m_Boxes.push_back({text, style});
                const bool question =
                    style == app::MsgStyle::YesNo || style == app::MsgStyle::YesNoQuestion;
                return question ? m_Answer : app::MsgAnswer::Ok;
            });
    }
    ~RecordedMessages() { app::SetMessageHandler(m_Previous); }
    RecordedMessages(const RecordedMessages&) = delete;
    RecordedMessages& operator=(const RecordedMessages&) = delete;

    const std::vector<Box>& Boxes() const { return m_Boxes; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const Box& b : m_Boxes) out.push_back(b.text);
        return out;
    }

private:
    app::MsgAnswer m_Answer;
    app::MessageHandler m_Previous;
    std::vector<Box> m_Boxes;
};

}  // namespace korva::test
