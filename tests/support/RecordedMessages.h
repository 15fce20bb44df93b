#pragma once
// Installs a message handler for the scope of a test: records every box and
// answers questions as told.
#include <string>
#include <vector>

#include "base/MessageBox.h"

namespace korva::test {

class RecordedMessages {
public:
    struct Box {
        std::string text;
        base::MsgStyle style;
    };

    explicit RecordedMessages(base::MsgAnswer answer = base::MsgAnswer::Yes) : m_Answer(answer) {
        m_Previous = base::SetMessageHandler(
            [this](const std::string& text, const std::string&, base::MsgStyle style) {
                m_Boxes.push_back({text, style});
                const bool question =
                    style == base::MsgStyle::YesNo || style == base::MsgStyle::YesNoQuestion;
                return question ? m_Answer : base::MsgAnswer::Ok;
            });
    }
    ~RecordedMessages() { base::SetMessageHandler(m_Previous); }
    RecordedMessages(const RecordedMessages&) = delete;
    RecordedMessages& operator=(const RecordedMessages&) = delete;

    const std::vector<Box>& Boxes() const { return m_Boxes; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const Box& b : m_Boxes) out.push_back(b.text);
        return out;
    }

private:
    base::MsgAnswer m_Answer;
    base::MessageHandler m_Previous;
    std::vector<Box> m_Boxes;
};

}  // namespace korva::test
