#pragma once
// The one list of logo files the user wants stored in the printer's NV
// graphics memory: numbers, names, sizes and paths with the running totals the
// pages show, and its place in the profile (section "LOGO", keys "Logofile%d").
#include <cstddef>
#include <string>
#include <vector>

#include "logo/LogoGeometry.h"
#include "logo/LogoOptions.h"

namespace korva::base {
class Profile;
}

namespace korva::logo {

inline constexpr int kMaxLogos = 255;
inline constexpr const char* kLogoSection = "LOGO";

/// One listed logo. The texts are what the list pages show.
struct LogoEntry {
    std::string number;  ///< logo number, "%3d"
    std::string name;    ///< file name without its directory
    std::string size;    ///< NV bytes, "%15d" (rewritten "%d" by a gray switch)
    std::string path;    ///< full path, as picked or as read from the profile
    /// Centre this image in the maximum printable width at upload. Belongs to
    /// the logo, so sorting rows never moves it to another one; a new entry
    /// takes the tick its row position had (LogoList::centreByRow).
    bool centerAlign = false;

    int NumberValue() const;
    long SizeValue() const;
};

/// Shared state of the logo tool's list. Entries are appended at the end and
/// removal closes the gap; a LogoListEditor keeps the totals and texts right.
struct LogoList {
    std::vector<LogoEntry> entries;
    std::string countText = "  0 / 255";       ///< "%3d / 255"
    std::string sizeText = "  0 / 384 KByte";  ///< "%3ld / %3d KByte"
    long totalBytes = 0;                       ///< sum of the entries' sizes
    int nvCapacityKB = kNvCapacityKB;
    int selectedRow = -1;     ///< row last selected on a page, -1 for none
    bool loadedFlag = false;  ///< filled since the logo tool was opened
    int savedKeyCount = 0;    ///< "Logofile%d" keys the profile held when last read or written
    std::vector<int> refusedNumbers;  ///< profile numbers whose files were refused
    /// Auto-centre ticks by row position in stored order, for the whole
    /// program run: a list read again from the profile (the tool reopened,
    /// Reset) gets its ticks back. Never cleared with the entries.
    std::vector<bool> centreByRow = std::vector<bool>(kMaxLogos, false);

    int Count() const { return static_cast<int>(entries.size()); }
    /// Empties the list: no entries, total 0, zero texts (the ticks by row stay).
    void Clear();
    /// Records every entry's tick at its row position; rows past the end lose theirs.
    void RememberCentring();
    /// The tick remembered for that row position.
    bool CentreAtRow(size_t row) const { return row < centreByRow.size() && centreByRow[row]; }
    /// Texts for an empty list: "  0 / 255" and "  0 / 384 KByte".
    void ShowZeroTexts();
    /// Positions of the entries in upload order: ascending logo number, equal
    /// numbers in list order.
    std::vector<size_t> UploadOrder() const;
    /// Writes "Logofile1".. in upload order and deletes the keys left over from
    /// a longer list. An empty list leaves the profile alone. False when a key
    /// could not be written or deleted.
    bool SaveToProfile(base::Profile& profile);
    /// Gray printing switched: sizes and total count 4 times (on) or a quarter
    /// (off). Nothing changes when `on` already matches options.grayPrinting.
    void ApplyGrayPrinting(bool on, LogoOptions& options);
};

/// printf-style helpers for the list's texts.
std::string FormatCountText(int count);
std::string FormatSizeText(long kilobytes, int capacityKB);

}  // namespace korva::logo
