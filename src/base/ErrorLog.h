#pragma once
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

namespace korva::base {

/// The technical error log: one time-stamped line per event, "\r\n" line ends,
/// written unbuffered so the file is complete even if the program is killed.
class CErrorLog {
public:
    using TimeSource = std::function<std::tm()>;

    CErrorLog();
    ~CErrorLog();
    CErrorLog(const CErrorLog&) = delete;
    CErrorLog& operator=(const CErrorLog&) = delete;

    /// Creates (replaces) the file; 1 on success, else 0 and logging stays off.
    /// A symbolic link or anything but a regular file there is left alone.
    int OpenLog(const std::string& fileName);
    /// Why the last OpenLog failed ("is a symbolic link", "is not a regular
    /// file", "has other names (hard links)", "cannot be written (...)"), or "".
    const std::string& Problem() const { return m_Problem; }
    /// Writes "[YYYY/MM/DD hh:mm:ss] " + formatted text + "\r\n"; no-op while closed.
    void Log(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Close();
    bool IsOpen() const { return m_File != nullptr; }

    /// Tests fix the clock to check the stamp.
    void SetTimeSource(TimeSource source) { m_Now = std::move(source); }
    /// Also hands every line (text only, open or not) to `echo`: `korva -v`
    /// shows them on stderr.
    void SetEcho(std::function<void(const std::string&)> echo) { m_Echo = std::move(echo); }

private:
    std::FILE* m_File = nullptr;
    TimeSource m_Now;
    std::function<void(const std::string&)> m_Echo;
    std::string m_Problem;
};

/// The program's one error log ("error.log", opened by the connection dialog).
/// Every layer logs through it; until it is opened, logging does nothing.
CErrorLog& ErrorLog();

}  // namespace korva::base
