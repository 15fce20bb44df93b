#pragma once
// An input file of a command, opened once and read whole from that one
// descriptor, so a FIFO, a process substitution (<(...)) and "-" (standard
// input) work wherever a file is taken. Engines that take a path are given
// one that reads the same bytes again, never the original name: a second
// open of a FIFO would wait for a writer that has gone. A regular file is
// reached through the descriptor already open; anything else through a
// copy in memory.
#include <cstdint>
#include <string>
#include <vector>

namespace korva::cli {

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&&) = delete;

    /// Reads `path` ("-": standard input). A signal ends a blocked open or
    /// read at once (nothing was sent yet). False after the error was told
    /// (reason file-io).
    bool Read(const std::string& path);

    const std::string& Name() const { return m_Name; }  ///< as given; "standard input" for "-"
    const std::vector<uint8_t>& Bytes() const { return m_Bytes; }
    /// A path an engine can open (as often as it likes) for the same bytes;
    /// "" when no copy could be made (told as an error).
    std::string Path();

private:
    std::string m_Name;
    std::vector<uint8_t> m_Bytes;
    int m_Copy = -1;  ///< the open regular file, or the memory copy once made
};

}  // namespace korva::cli
