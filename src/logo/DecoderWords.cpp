#include "logo/DecoderWords.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <mutex>

namespace korva::logo {
namespace {

thread_local DecoderWords* t_Active = nullptr;
QtMessageHandler g_Previous = nullptr;
// The standard error is the process's: one thread at a time may borrow it.
std::recursive_mutex g_StderrOwner;

void Collect(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (t_Active != nullptr) {
        t_Active->Add(text.toStdString());
        return;
    }
    if (g_Previous != nullptr) g_Previous(type, context, text);
}

bool Contains(const std::string& line, const char* words) {
    return QString::fromStdString(line).contains(QLatin1String(words), Qt::CaseInsensitive);
}

std::string ReadBack(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n = 0;
    if (::lseek(fd, 0, SEEK_SET) != 0) return text;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() < 65536) text.append(buffer, static_cast<size_t>(n));
    return text;
}

}  // namespace

DecoderWords::DecoderWords() : m_Outer(t_Active) {
    // Installed once, in front of whatever handler the program set before.
    static std::once_flag installed;
    std::call_once(installed, [] { g_Previous = qInstallMessageHandler(Collect); });
    g_StderrOwner.lock();
    if (m_Outer == nullptr) {
        std::fflush(stderr);
        m_Scratch = ::memfd_create("korva-decoder-words", MFD_CLOEXEC);
        m_SavedStderr = m_Scratch < 0 ? -1 : ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        if (m_SavedStderr < 0 || ::dup2(m_Scratch, STDERR_FILENO) < 0) {
            if (m_SavedStderr >= 0) ::close(m_SavedStderr);
            if (m_Scratch >= 0) ::close(m_Scratch);
            m_SavedStderr = m_Scratch = -1;
        }
    }
    t_Active = this;
}

DecoderWords::~DecoderWords() { Stop(); }

void DecoderWords::Stop() {
    if (m_Stopped) return;
    m_Stopped = true;
    if (m_SavedStderr >= 0) {
        std::fflush(stderr);
        ::dup2(m_SavedStderr, STDERR_FILENO);
        ::close(m_SavedStderr);
        const std::string said = ReadBack(m_Scratch);
        ::close(m_Scratch);
        size_t start = 0;
        while (start < said.size()) {
            const size_t end = std::min(said.find('\n', start), said.size());
            Add(said.substr(start, end - start));
            start = end + 1;
        }
    }
    t_Active = m_Outer;
    g_StderrOwner.unlock();
}

void DecoderWords::Add(std::string line) {
    line = QString::fromStdString(line).trimmed().toStdString();
    // A library that reads a header again says the same again: once is enough.
    if (!line.empty() && std::find(m_Lines.begin(), m_Lines.end(), line) == m_Lines.end())
        m_Lines.push_back(std::move(line));
}

std::string DecoderWords::Text() const {
    std::string text;
    for (const std::string& line : m_Lines) {
        if (!text.empty()) text += "; ";
        text += line;
    }
    return text;
}

bool DecoderWords::ReportDamage() const {
    for (const std::string& line : m_Lines)
        if (Contains(line, "corrupt") || Contains(line, "premature end")) return true;
    return false;
}

}  // namespace korva::logo
