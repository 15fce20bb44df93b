#include "logo/LogoList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/Profile.h"

namespace korva::logo {

int LogoEntry::NumberValue() const { return std::atoi(number.c_str()); }
long LogoEntry::SizeValue() const { return std::atol(size.c_str()); }

std::string FormatCountText(int count) {
    char text[32];
    std::snprintf(text, sizeof text, "%3d / 255", count);
    return text;
}

std::string FormatSizeText(long kilobytes, int capacityKB) {
    char text[64];
    std::snprintf(text, sizeof text, "%3ld / %3d KByte", kilobytes, capacityKB);
    return text;
}

void LogoList::Clear() {
    entries.clear();
    totalBytes = 0;
    ShowZeroTexts();
}

void LogoList::RememberCentring() {
    for (size_t row = 0; row < centreByRow.size(); ++row)
        centreByRow[row] = row < entries.size() && entries[row].centerAlign;
}

void LogoList::ShowZeroTexts() {
    countText = FormatCountText(0);
    sizeText = FormatSizeText(0, nvCapacityKB);
}

std::vector<size_t> LogoList::UploadOrder() const {
    std::vector<size_t> order(entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
        return entries[a].NumberValue() < entries[b].NumberValue();
    });
    return order;
}

bool LogoList::SaveToProfile(base::Profile& profile) {
    if (entries.empty()) return true;
    bool ok = true;
    const std::vector<size_t> order = UploadOrder();
    for (size_t j = 0; j < order.size(); ++j)
        ok = profile.WriteString(kLogoSection, "Logofile" + std::to_string(j + 1),
                                 entries[order[j]].path) &&
             ok;
    for (int k = Count() + 1; k <= savedKeyCount; ++k)
        ok = profile.DeleteKey(kLogoSection, "Logofile" + std::to_string(k)) && ok;
    // After a failed save the old keys may still be there: remember the larger
    // count so the next save still deletes them.
    savedKeyCount = ok ? Count() : std::max(savedKeyCount, Count());
    return ok;
}

void LogoList::ApplyGrayPrinting(bool on, LogoOptions& options) {
    if (on == options.grayPrinting) return;
    options.grayPrinting = on;
    for (LogoEntry& entry : entries) {
        const long value = entry.SizeValue();
        entry.size = std::to_string(on ? value * 4 : value / 4);
    }
    totalBytes = on ? totalBytes * 4 : totalBytes / 4;
    sizeText = FormatSizeText(totalBytes / 1024, nvCapacityKB);
}

}  // namespace korva::logo
