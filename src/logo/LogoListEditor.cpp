#include "logo/LogoListEditor.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "base/Messages.h"
#include "base/Profile.h"
#include "logo/LogoGeometry.h"

namespace korva::logo {
namespace {

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Format(const char* format, long value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

long KilobytesUp(long bytes) { return (bytes + 1023) / 1024; }

}  // namespace

LogoListEditor::LogoListEditor(LogoList& list, const LogoOptions& options, LogoProbe probe,
                               LogoNotify notify)
    : m_List(list), m_Options(options), m_Probe(std::move(probe)), m_Notify(std::move(notify)) {}

// A refused file counts once; the first refusal shows the log-file message and
// a refused profile number becomes reusable.
void LogoListEditor::CountRefusal(int number) {
    ++m_Refusals;
    if (number > 0) m_List.refusedNumbers.push_back(number);
    if (m_Refusals == 1) Refuse(base::kMsgLogFileBitmapIncorrect, LogoNoticeIcon::Exclamation, m_LastRefusal);
    else Refuse(kNoLogoMessage, LogoNoticeIcon::None, m_LastRefusal);
}

void LogoListEditor::Refuse(int message, LogoNoticeIcon icon, std::string detail) {
    m_LastRefusal = std::move(detail);
    m_Notify(message, icon, m_LastRefusal);
}

// Why an image of this size does not fit in the NV memory left, or "" when it
// does (or when the printer's header could not carry it: that is refused on its own).
std::string LogoListEditor::NvShortfall(int width, int height) const {
    const bool gray = m_Options.grayPrinting;
    if (!HeaderCanCarry(width, height, gray)) return {};
    const int64_t size = NvImageBytes(width, height, gray);
    const int64_t left = NvBytesLeft(m_List.totalBytes, m_List.nvCapacityKB);
    if (size <= left) return {};
    return "the image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels needs " +
           std::to_string(size) + " bytes of NV memory, " + std::to_string(left < 0 ? 0 : left) + " of " +
           std::to_string(NvCapacityBytes(m_List.nvCapacityKB)) + " are left";
}

bool LogoListEditor::AddFile(int number, const std::string& path) {
    try {
        if (m_List.Count() >= kMaxLogos) {
            Refuse(base::kMsgCantReadMoreFiles, LogoNoticeIcon::None, path + ": the list already holds 255 files");
            return false;
        }
        const LogoFileInfo info =
            m_Probe(path, [this](int width, int height) { return NvShortfall(width, height); });
        // An image too large to decode is far larger than the NV memory too.
        const bool tooLarge = info.error.kind == BitmapErrorKind::TooLarge;
        const bool tooDeep = info.error.kind == BitmapErrorKind::TooManyBitsPerPixel;
        if (!info.ok() && !tooLarge && !tooDeep) {
            m_LastRefusal = path + ": " + DescribeBitmapError(info.error);
            CountRefusal(number);
            return false;
        }
        const bool gray = m_Options.grayPrinting;
        if (tooDeep || (info.ok() && !HeaderCanCarry(info.width, info.height, gray))) {
            // Refused every time, not counted: the file is fine, this tool cannot send it.
            Refuse(base::kMsgBitmapFormatNotSupported, LogoNoticeIcon::None,
                   path + ": " +
                       (tooDeep ? DescribeBitmapError(info.error)
                                : "the printer cannot take an image of " + std::to_string(info.width) +
                                      " x " + std::to_string(info.height) + " pixels"));
            return false;
        }
        const long size =
            tooLarge ? 0 : static_cast<long>(NvImageBytes(info.width, info.height, gray));
        if (tooLarge || size > NvBytesLeft(m_List.totalBytes, m_List.nvCapacityKB)) {
            m_LastRefusal =
                path + ": " +
                (tooLarge ? DescribeBitmapError(info.error)
                          : std::to_string(size) + " bytes do not fit in the NV memory left");
            if (number == 0 && m_Refusals == 0)
                Refuse(base::kMsgNvAreaTooSmall, LogoNoticeIcon::None, m_LastRefusal);
            else
                CountRefusal(number);
            return false;
        }
        LogoEntry entry;
        entry.number = Format("%3ld", NextNumber(number));
        entry.name = BaseName(path);
        entry.size = Format("%15ld", size);
        entry.path = path;
        entry.centerAlign = m_List.CentreAtRow(m_List.entries.size());
        m_List.entries.push_back(std::move(entry));
        m_List.totalBytes += size;
        m_List.countText = FormatCountText(m_List.Count());
        m_List.sizeText = FormatSizeText(KilobytesUp(m_List.totalBytes), m_List.nvCapacityKB);
        return true;
    } catch (const std::bad_alloc&) {
        Refuse(base::kMsgOutOfMemory, LogoNoticeIcon::Stop, path + ": out of memory");
        return false;
    }
}

bool LogoListEditor::NumberInUse(int number) const {
    return std::any_of(m_List.entries.begin(), m_List.entries.end(),
                       [number](const LogoEntry& e) { return e.NumberValue() == number; });
}

// Freed numbers first, else the given profile number, else count + 1. A number
// another entry already has is never handed out twice: the lowest free one is
// taken instead.
int LogoListEditor::NextNumber(int given) {
    int number;
    if (m_ReadPos < m_Recycled.size()) {
        number = m_Recycled[m_ReadPos];
        m_Recycled[m_ReadPos] = 0;
        if (++m_ReadPos == m_Recycled.size()) {
            m_Recycled.clear();
            m_ReadPos = 0;
        }
    } else {
        number = given > 0 ? given : m_List.Count() + 1;
    }
    if (NumberInUse(number)) {
        number = 1;
        while (NumberInUse(number)) ++number;
    }
    return number;
}

int LogoListEditor::AddPickedFiles(const std::vector<std::string>& paths) {
    ReuseRefusedNumbers();
    if (paths.empty()) m_CurrentPath.clear();
    int added = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        m_CurrentPath = paths[i];
        if (AddFile(0, paths[i])) {
            ++added;
            continue;
        }
        // The files after the refused one are not looked at; each is told, in
        // the same box, so none goes missing without a word.
        for (size_t later = i + 1; later < paths.size(); ++later)
            m_Notify(kNoLogoMessage, LogoNoticeIcon::None,
                     paths[later] + ": not added: adding stops at the first refused file; pick it again");
        break;
    }
    return added;
}

void LogoListEditor::RemoveNumber(int number) {
    const auto it =
        std::find_if(m_List.entries.begin(), m_List.entries.end(),
                     [number](const LogoEntry& e) { return e.NumberValue() == number; });
    if (it == m_List.entries.end()) return;
    m_Recycled.push_back(number);
    m_List.totalBytes -= it->SizeValue();
    m_List.entries.erase(it);
    m_List.countText = FormatCountText(m_List.Count());
    m_List.sizeText = FormatSizeText(KilobytesUp(m_List.totalBytes), m_List.nvCapacityKB);
    // Used slots hold 0 and sort first, behind the read position.
    std::sort(m_Recycled.begin(), m_Recycled.end());
}

void LogoListEditor::ResetCounters() {
    m_Refusals = 0;
    m_Recycled.clear();
    m_ReadPos = 0;
    m_List.refusedNumbers.clear();
}

// The refused numbers join the freed numbers still waiting (none is dropped).
void LogoListEditor::ReuseRefusedNumbers() {
    if (m_List.refusedNumbers.empty()) return;
    std::vector<int> waiting(m_Recycled.begin() + static_cast<long>(m_ReadPos), m_Recycled.end());
    waiting.insert(waiting.end(), m_List.refusedNumbers.begin(), m_List.refusedNumbers.end());
    std::sort(waiting.begin(), waiting.end());
    waiting.erase(std::unique(waiting.begin(), waiting.end()), waiting.end());
    m_Recycled = std::move(waiting);
    m_ReadPos = 0;
    m_List.refusedNumbers.clear();
}

void LogoListEditor::ReadKeys(const base::Profile& profile, bool markLoaded) {
    bool fullShown = false;
    for (int k = 1;; ++k) {
        const std::string path = profile.GetString(kLogoSection, "Logofile" + std::to_string(k));
        if (path.empty()) break;
        if (markLoaded) {
            m_List.loadedFlag = true;
            m_List.savedKeyCount = k;
        }
        // A full list says so once; the remaining keys are only counted.
        if (m_List.Count() >= kMaxLogos) {
            if (fullShown) continue;
            fullShown = true;
        }
        AddFile(k, path);
    }
}

void LogoListEditor::LoadFromProfile(const base::Profile& profile) {
    ResetCounters();
    m_List.Clear();
    m_List.savedKeyCount = 0;
    m_List.loadedFlag = false;
    ReadKeys(profile, true);
}

void LogoListEditor::ReloadFromProfile(const base::Profile& profile) {
    m_List.Clear();
    ResetCounters();
    ReadKeys(profile, false);
}

}  // namespace korva::logo
