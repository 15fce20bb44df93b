#pragma once
// Editing the logo list: adding files (checked, numbered and sized against the
// NV capacity), removing them, reading the list from the profile. One editor
// per place that edits (the start-up load, the selection page); all of them
// work on the one LogoList.
#include <functional>
#include <string>
#include <vector>

#include "logo/BitmapDecode.h"
#include "logo/LogoList.h"
#include "logo/LogoOptions.h"

namespace korva::base {
class Profile;
}

namespace korva::logo {

/// What the list needs to know of a file: its size and depth, or why it is no bitmap.
struct LogoFileInfo {
    BitmapError error;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    bool ok() const { return error.kind == BitmapErrorKind::None; }
};

enum class LogoNoticeIcon { None, Exclamation, Stop };

/// A refusal told without a message box.
inline constexpr int kNoLogoMessage = -1;

/// Reads a file's geometry (the core layer reads the file and decodes it); a
/// picture whose header size `check` refuses is refused before it is decoded.
using LogoProbe = std::function<LogoFileInfo(const std::string& path, const ImageSizeCheck& check)>;
/// Tells of a refused file: shows message `message` of the message table with
/// the given icon (kNoLogoMessage: none, as for a refusal after the first),
/// with `detail` saying which file and why.
using LogoNotify = std::function<void(int message, LogoNoticeIcon icon, const std::string& detail)>;

class LogoListEditor {
  public:
    LogoListEditor(LogoList& list, const LogoOptions& options, LogoProbe probe, LogoNotify notify);

    /// Adds one file. `number` is 0 for a file the user picked, the profile key
    /// index (1, 2, ...) for one read from the profile. False when refused.
    bool AddFile(int number, const std::string& path);
    /// The files picked in the file dialog, in its order: the refused profile
    /// numbers are reused first; adding stops at the first refused file, and
    /// each file after it is told as not added. Returns how many were added. Picking nothing clears the current path.
    int AddPickedFiles(const std::vector<std::string>& paths);
    /// Removes the entry with that logo number; its number becomes free again.
    void RemoveNumber(int number);
    /// Clears refusals, freed numbers and the list's refused numbers.
    void ResetCounters();
    /// The numbers of refused profile files become the next numbers handed out.
    void ReuseRefusedNumbers();
    /// Opening the logo tool: empties the list and reads "Logofile1", ... up to
    /// the first missing key.
    void LoadFromProfile(const base::Profile& profile);
    /// The selection page's Reset: the same reading, without touching
    /// loadedFlag and savedKeyCount.
    void ReloadFromProfile(const base::Profile& profile);

    int refusals() const { return m_Refusals; }
    /// The file name last picked (the file dialog starts with it).
    const std::string& currentPath() const { return m_CurrentPath; }
    /// Why the last refused file was refused, for the error log or the CLI.
    const std::string& lastRefusal() const { return m_LastRefusal; }

  private:
    void CountRefusal(int number);
    void Refuse(int message, LogoNoticeIcon icon, std::string detail);
    std::string NvShortfall(int width, int height) const;
    int NextNumber(int given);
    bool NumberInUse(int number) const;
    void ReadKeys(const base::Profile& profile, bool markLoaded);

    LogoList& m_List;
    const LogoOptions& m_Options;
    LogoProbe m_Probe;
    LogoNotify m_Notify;
    int m_Refusals = 0;
    std::vector<int> m_Recycled;  // freed numbers, ascending; slots before m_ReadPos are used (0)
    size_t m_ReadPos = 0;
    std::string m_CurrentPath;
    std::string m_LastRefusal;
};

}  // namespace korva::logo
