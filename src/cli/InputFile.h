#pragma once
// An input file of a command, opened once and read from that one descriptor,
// so a FIFO, a process substitution (<(...)) and "-" (standard input) work
// wherever a file is taken. Engines that take a path are given one that reads
// the same bytes again, never the original name: a second open of a FIFO
// would wait for a writer that has gone. A regular file is reached through
// the descriptor already open; anything else through a copy in memory.
//
// Every read is bounded by the largest file its kind can be: a regular file
// is judged by its size before a byte is read, a pipe or a device once it
// gives more. A folder is refused as a file that cannot be read.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korva::cli {

/// What a command reads a file as.
struct InputKind {
    const char* what;   ///< "a firmware image": names the kind in a refusal
    uint64_t maxBytes;  ///< the largest file of that kind
    /// Looks at the first bytes read (up to kInputHeadBytes): "" to go on,
    /// else why the file is no file of this kind (refused as bad-input at
    /// once, before the rest is read). Optional.
    std::function<std::string(std::span<const uint8_t> head)> checkHead = {};
};

/// How much of a stream the kind's head check sees.
inline constexpr size_t kInputHeadBytes = 64 * 1024;

class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&&) = delete;

    /// Opens and reads `path` ("-": standard input) whole, at most
    /// `kind.maxBytes`. A signal ends a blocked open or read at once (nothing
    /// was sent yet). False after the error was told: file-io for a file that
    /// cannot be read, too-large (with the limit) for one beyond it, bad-input
    /// when the head check refuses it.
    bool Read(const std::string& path, const InputKind& kind);

    /// Opens `path` for reading in pieces (ReadPiece), without reading: a
    /// stream has no largest size, so a device, which need never end, is
    /// refused. False after the error was told (file-io).
    bool OpenStream(const std::string& path);
    /// The next bytes of an opened stream: how many (0 at its end), or
    /// nullopt after the error was told (file-io).
    std::optional<size_t> ReadPiece(std::span<uint8_t> buffer);
    /// The size of a regular file; nullopt for a pipe or standard input.
    std::optional<uint64_t> KnownSize() const { return m_Size; }

    const std::string& Name() const { return m_Name; }  ///< as given; "standard input" for "-"
    const std::vector<uint8_t>& Bytes() const { return m_Bytes; }
    /// The bytes read, handed over (Path() then has none to copy).
    std::vector<uint8_t> TakeBytes() { return std::move(m_Bytes); }
    /// A path an engine can open (as often as it likes) for the same bytes;
    /// "" when no copy could be made (told as an error).
    std::string Path();

private:
    bool Open(const std::string& path);
    bool ReadBounded(const InputKind& kind);
    void Close();

    std::string m_Name;
    std::vector<uint8_t> m_Bytes;
    int m_Fd = -1;    ///< the descriptor being read (standard input included)
    int m_Copy = -1;  ///< the open regular file, or the memory copy once made
    std::optional<uint64_t> m_Size;
    bool m_Regular = false;
};

}  // namespace korva::cli
