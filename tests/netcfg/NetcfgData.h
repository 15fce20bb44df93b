#pragma once
// Expected datagrams kept as hex files in tests/data/netcfg.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/RecordingStream.h"

namespace korva::test {

inline std::vector<uint8_t> NetcfgDatagram(const std::string& name) {
    std::ifstream in(std::string(KORVA_TEST_DATA_DIR) + "/netcfg/" + name);
    std::stringstream text;
    text << in.rdbuf();
    return HexBytes(text.str());
}

}  // namespace korva::test
