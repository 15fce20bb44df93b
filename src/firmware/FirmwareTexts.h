#pragma once
// Texts of the newer-series firmware dialog that are its own, not entries of
// the message table.

namespace korva::firmware {

inline constexpr const char* kTextFileOpen = "ERROR : File Open";
inline constexpr const char* kTextFileSizeNotCorrect = "ERROR: File size not correct!";
inline constexpr const char* kTextMemoryAllocation = "ERROR:Memory Allocation Fail.";
inline constexpr const char* kTextFileSizeError = "ERROR : File Size Error";

/// Profile sections and keys where the dialogs remember the image file.
inline constexpr const char* kSectionNewSeries = "FWDN20";
inline constexpr const char* kSectionOldSeries = "FWDN15";
inline constexpr const char* kKeyFolder = "FOLDER";  ///< the full path
inline constexpr const char* kKeyFile = "FILE";      ///< the file name alone

}  // namespace korva::firmware
