#pragma once
// What the logo dialog tests share: one QApplication on the offscreen
// platform, a recorder behind the message-box seam, and a way to act on the
// modal window a call opens.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/MessageBox.h"

// Qt's own hook that lets window shortcuts see a key first, as a real key press does.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);

namespace korva::test {

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "test_logo";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: widgets of static fixtures may outlive main's scope.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

/// Records every message box and answers questions from a queue (No when empty).
class MessageRecorder {
public:
    struct Shown {
        std::string text;
        base::MsgStyle style;
        std::string caption;
    };

    MessageRecorder() {
        m_Previous = base::SetMessageHandler(
            [this](const std::string& text, const std::string& caption, base::MsgStyle style) {
                m_Shown.push_back({text, style, caption});
                if (m_OnShown) m_OnShown();
                const bool question = style == base::MsgStyle::YesNo || style == base::MsgStyle::YesNoQuestion;
                if (!question) return base::MsgAnswer::Ok;
                if (m_Answers.empty()) return base::MsgAnswer::No;
                const base::MsgAnswer answer = m_Answers.front();
                m_Answers.pop_front();
                return answer;
            });
    }
    ~MessageRecorder() { base::SetMessageHandler(std::move(m_Previous)); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void Answer(base::MsgAnswer answer) { m_Answers.push_back(answer); }
    void OnShown(std::function<void()> action) { m_OnShown = std::move(action); }
    const std::vector<Shown>& Shown_() const { return m_Shown; }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& shown : m_Shown) texts.push_back(shown.text);
        return texts;
    }
    void Clear() { m_Shown.clear(); }

private:
    base::MessageHandler m_Previous;
    std::vector<Shown> m_Shown;
    std::deque<base::MsgAnswer> m_Answers;
    std::function<void()> m_OnShown;
};

/// Runs `action` on the next modal window that opens (from inside its own
/// event loop), so a test can drive a dialog that `exec()` blocks on.
template <typename Dialog>
void WhenModal(std::function<void(Dialog*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action, tries] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog || ++*tries > 2000) {  // give up after 10 s: the test then fails on its checks
            timer->stop();
            timer->deleteLater();
            if (dialog) action(dialog);
        }
    });
    timer->start();
}

/// Presses and releases a key on `target` the way the keyboard does:
/// shortcuts (F1, Alt+letter) first, then the focused control.
inline void KeyClick(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                     const QString& text = QString()) {
    if (QWidget* focus = target->focusWidget()) target = focus;
    if (qt_sendShortcutOverrideEvent(target, 0, key, mods, text, false, 1)) return;
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &release);
}

/// Types text into the focused control of `target`.
inline void KeyClicks(QWidget* target, const QString& text) {
    for (QChar c : text) KeyClick(target, 0, Qt::NoModifier, QString(c));
}

}  // namespace korva::test
