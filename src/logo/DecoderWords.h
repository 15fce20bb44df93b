#pragma once
// What Qt and the image libraries under it say while a picture is read. Their
// lines would otherwise land on the terminal (a `korva -q` run included); here
// they are kept for the program to log with the file's name, and read for
// the reports of corrupt data that a decoder gives without failing the read.
#include <string>
#include <vector>

namespace korva::logo {

/// While alive (until Stop), Qt's messages on the calling thread are collected
/// instead of printed, and so is what the libraries under Qt write to the
/// standard error themselves (libpng's errors, libtiff's warnings): the
/// process's stderr points at a scratch file meanwhile, one capture at a time.
class DecoderWords {
public:
    DecoderWords();
    ~DecoderWords();
    DecoderWords(const DecoderWords&) = delete;
    DecoderWords& operator=(const DecoderWords&) = delete;

    /// Ends the capture: stderr is the terminal's again, its lines are kept.
    void Stop();
    /// The lines said until Stop, joined by "; ".
    std::string Text() const;
    /// Whether a line reports damaged data ("Corrupt JPEG data: ...",
    /// "Premature end of JPEG file") although the read may have succeeded.
    bool ReportDamage() const;

    void Add(std::string line);

private:
    std::vector<std::string> m_Lines;
    DecoderWords* m_Outer = nullptr;
    bool m_Stopped = false;
    int m_SavedStderr = -1;  // the outermost capture on a thread redirects stderr
    int m_Scratch = -1;
};

}  // namespace korva::logo
