#pragma once
// The printer's user-setting commands, GS ( E (1D 28 45): the request for one
// setting, enter-setup and leave-setup, the set-values command that carries
// every setting holding a value, and the test page.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "usersetup/SetupLists.h"
#include "usersetup/UserSettings.h"

namespace korva::usersetup {

/// GS ( E function 1 "IN": the printer takes set-values commands until "OUT".
inline constexpr std::array<uint8_t, 8> kEnterSetup{0x1D, 0x28, 0x45, 0x03, 0x00, 0x01, 'I', 'N'};
/// GS ( E function 2 "OUT": the printer stores the values and restarts its interface.
inline constexpr std::array<uint8_t, 9> kLeaveSetup{0x1D, 0x28, 0x45, 0x04, 0x00,
                                                    0x02, 'O',  'U',  'T'};

/// Five zero bytes end a parallel read: the printer leaves its reply mode.
inline constexpr std::array<uint8_t, 5> kParallelReadEnd{0x00, 0x00, 0x00, 0x00, 0x00};

/// GS ( E function 6: 1D 28 45 02 00 06 a asks for setting a.
std::array<uint8_t, 7> BuildRequest(uint8_t setting);

/// The setup code text as a number: up to 8 hexadecimal digits (either
/// case), empty gives 0; nullopt for any other text.
std::optional<uint32_t> ParseSetupCode(std::string_view text);

/// Prepares `settings` for writing as the printer needs it: an empty density
/// of a chosen paper type becomes MEDIUM, empty bell times of a chosen bell
/// become 3, and a setup code that is not hexadecimal becomes "0".
void PrepareForWrite(UserSettings& settings);

/// Why these settings cannot be written as they are: the margin or the setup
/// code, which every set-values command carries, is unknown (the printer's
/// answer was no value it takes) and no value was chosen. "" when they can.
std::string UnwritableSetting(const UserSettings& settings);

/// GS ( E function 5 with the entries of every setting that has a value, in
/// the printer's order; the margin and the setup code are always sent.
/// A setting answered outside the tool's lists goes back as answered; an
/// unknown one is left out. Expects PrepareForWrite to have run (an
/// unprepared empty density or times is sent as MEDIUM or 3 all the same),
/// and UnwritableSetting to be "".
std::vector<uint8_t> BuildSetValues(const UserSettings& settings, const SetupLists& lists);

/// The test page, one block per write, in order.
std::vector<std::vector<uint8_t>> BuildTestPage();

/// The factory values Default puts into the record; the code page is the
/// first entry and the receive buffer the fourth (the last one of a shorter list).
void ApplyDefaults(UserSettings& settings, const SetupLists& lists);

/// The NV memory total of the chosen sizes in KByte (an empty size counts 0).
int NvMemoryTotalKb(const UserSettings& settings);
/// True when the chosen NV graphic and user memory fit into 448 KByte.
bool NvMemoryTotalFits(const UserSettings& settings);

}  // namespace korva::usersetup
