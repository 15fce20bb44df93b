#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace korva::sim {

class Printer;

/// Handles the parameter bytes of one GS ( E command (function byte first):
/// 1 "IN" enters setup mode, 2 "OUT" leaves it, 5 sets values (only in setup
/// mode), 6 asks for one setting and is answered 37 27 <number> 1F <value> 00.
void HandleUserSettingCommand(Printer& printer, std::span<const uint8_t> params,
                              const std::function<void(std::vector<uint8_t>)>& reply);

/// The reply frame for one setting.
std::vector<uint8_t> BuildSettingReply(int number, const std::string& value);

}  // namespace korva::sim
