#include "logo/DecoderWords.h"

#include <tiffio.h>

#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace korva::logo {
namespace {

// The capture of the decode running on this thread, if any.
thread_local DecoderWords* t_Active = nullptr;
QtMessageHandler g_PreviousQt = nullptr;
TIFFErrorHandler g_PreviousTiffWarning = nullptr;
TIFFErrorHandler g_PreviousTiffError = nullptr;

void CollectQt(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (t_Active != nullptr) {
        t_Active->Add(text.toStdString());
        return;
    }
    if (g_PreviousQt != nullptr) g_PreviousQt(type, context, text);
}

// libtiff's words as its own handlers print them: "module: Warning, text.".
std::string TiffLine(const char* module, const char* kind, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::string line = module != nullptr ? std::string(module) + ": " : std::string();
    return line + kind + text + ".";
}

void CollectTiffWarning(const char* module, const char* format, va_list args) {
    if (t_Active != nullptr) {
        t_Active->Add(TiffLine(module, "Warning, ", format, args));
        return;
    }
    if (g_PreviousTiffWarning != nullptr) g_PreviousTiffWarning(module, format, args);
}

void CollectTiffError(const char* module, const char* format, va_list args) {
    if (t_Active != nullptr) {
        t_Active->Add(TiffLine(module, "", format, args));
        return;
    }
    if (g_PreviousTiffError != nullptr) g_PreviousTiffError(module, format, args);
}

bool Contains(const std::string& line, const char* words) {
    return QString::fromStdString(line).contains(QLatin1String(words), Qt::CaseInsensitive);
}

}  // namespace

DecoderWords::DecoderWords() : m_Outer(t_Active) {
    // Installed once, in front of whatever handlers were there before; they
    // route to the capture of the calling thread, so decodes never share one.
    static std::once_flag installed;
    std::call_once(installed, [] {
        g_PreviousQt = qInstallMessageHandler(CollectQt);
        g_PreviousTiffWarning = TIFFSetWarningHandler(CollectTiffWarning);
        g_PreviousTiffError = TIFFSetErrorHandler(CollectTiffError);
    });
    t_Active = this;
}

DecoderWords::~DecoderWords() { Stop(); }

void DecoderWords::Stop() {
    if (m_Stopped) return;
    m_Stopped = true;
    t_Active = m_Outer;
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
