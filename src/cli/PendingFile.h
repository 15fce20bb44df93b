#pragma once
// An output file that appears whole or not at all: written under a
// temporary name beside it and renamed over it at the end, so a failed run
// never leaves a truncated file behind. Standard output ("-") and special
// files (a FIFO, /dev/null) are written in place.
#include <string>

namespace korva::cli {

class PendingFile {
public:
    /// `path` as the user gave it; "-" is standard output.
    explicit PendingFile(std::string path);
    /// Removes the temporary file unless Commit() succeeded.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    /// Where the bytes go meanwhile.
    const std::string& WritePath() const { return m_WritePath; }
    /// Moves the finished file to its name; false with `error` set.
    bool Commit(std::string& error);

private:
    std::string m_Path;
    std::string m_WritePath;
    bool m_Temporary = false;
};

/// Records a failed output file as the run's reason and says so, naming the
/// file: "cannot write file PATH: <why>".
void FileWriteError(const std::string& path, const std::string& why);

}  // namespace korva::cli
