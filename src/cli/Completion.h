#pragma once
// Tab completion for the shells, from the same command and option tables the
// help is printed from: a command added, an option renamed or a value added to
// a help text shows up in bash, zsh and fish without touching their scripts.
//
// `korva __complete WORD... CURRENT` prints what may replace CURRENT (the word
// under the cursor, "" for a new one) after the WORDs typed before it, one per
// line as "CANDIDATE" or "CANDIDATE<tab>DESCRIPTION", and the line ":files"
// when a file name fits there too. Nothing is printed where no value fits.
#include <string>
#include <vector>

namespace korva::cli {

/// The hidden command word the shell scripts call.
inline constexpr const char* kCompleteWord = "__complete";

struct Candidate {
    std::string word;
    std::string description = {};
};

struct Completions {
    std::vector<Candidate> candidates;
    bool files = false;  ///< file names fit as well
};

/// What may replace the last of `words` (the words after "korva").
Completions Complete(const std::vector<std::string>& words);

/// Prints Complete(words) in the form above; returns the exit code.
int PrintCompletions(const std::vector<std::string>& words);

}  // namespace korva::cli
