#pragma once
// What Qt and the image libraries under it say while a picture is read. Their
// lines would otherwise land on the terminal (a `korva -q` run included); here
// they are kept for the program to log with the file's name, and read for
// the reports of corrupt data that a decoder gives without failing the read.
#include <string>
#include <vector>

namespace korva::logo {

/// While alive (until Stop), what the decoders say on the calling thread is
/// collected into this capture instead of printed: Qt's messages (its PNG and
/// JPEG readers pass libpng's and libjpeg's words on as such) and libtiff's
/// warnings and errors, which libtiff would write to the standard error
/// itself. Each thread's decode has its own capture; the process's streams
/// are never touched.
class DecoderWords {
public:
    DecoderWords();
    ~DecoderWords();
    DecoderWords(const DecoderWords&) = delete;
    DecoderWords& operator=(const DecoderWords&) = delete;

    /// Ends the capture: what is said afterwards goes where it went before.
    void Stop();
    /// The lines said until Stop, joined by "; ".
    std::string Text() const;
    /// Whether a line reports damaged data ("Corrupt JPEG data: ...",
    /// "Premature end of JPEG file") although the read may have succeeded.
    bool ReportDamage() const;

    void Add(std::string line);

private:
    std::vector<std::string> m_Lines;
    DecoderWords* m_Outer = nullptr;  // a capture around this one on the same thread
    bool m_Stopped = false;
};

}  // namespace korva::logo
