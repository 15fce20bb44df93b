#include "port/DeviceId.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using korva::port::ParseDeviceId;

namespace {
// The bytes a printer sends: two length bytes (here big-endian, counting
// themselves) and the fields.
std::string Reply(const std::string& fields, size_t padTo = 0) {
    const size_t length = fields.size() + 2;
    std::string out{static_cast<char>(length >> 8), static_cast<char>(length)};
    out += fields;
    out.resize(std::max(out.size(), padTo), '\0');  // the rest of the driver's buffer
    return out;
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
}  // namespace

TEST(DeviceId, NamesTheModelOrSaysWhyNot) {
    const struct {
        const char* name;
        std::string reply;
        std::string model;  ///< "" with `error`: refused
        std::string error;
    } rows[] = {
        {"short keys", Reply("MFG:KORVA;MDL:KORVA20IIU-II;CMD:ESC/POS;CLS:PRINTER;", 1024),
         "KORVA20IIU-II", ""},
        {"long keys, spaces, lower case",
         Reply("manufacturer: KORVA ;model: KORVA20U-II;COMMAND SET:ESC/POS"), "KORVA20U-II", ""},
        {"little-endian length", std::string("\x0B\x00MDL:K10;\x00", 11), "K10", ""},
        {"no model", Reply("MFG:KORVA;"), "", ""},
        {"only length bytes", std::string(1, '\0'), "", "shorter than its length bytes"},
        {"length past the bytes read", "\x40\x40MDL", "", "does not fit the 5 bytes"},
        {"length below its own bytes", std::string("\x00\x01M", 3), "", "does not fit"},
        {"control byte", Reply(std::string("MDL:K\x01;", 7)), "", "no text (1)"},
    };
    for (const auto& row : rows) {
        std::string error;
        const auto id = ParseDeviceId(Bytes(row.reply), error);
        if (!row.error.empty()) {
            EXPECT_FALSE(id) << row.name;
            EXPECT_NE(error.find(row.error), std::string::npos) << row.name << ": " << error;
            continue;
        }
        ASSERT_TRUE(id) << row.name << ": " << error;
        EXPECT_EQ(id->model, row.model) << row.name;
    }
    std::string error;
    const auto id = ParseDeviceId(Bytes(Reply("MFG:KORVA;MDL:KORVA20IIU-II;CMD:ESC/POS;", 64)), error);
    ASSERT_TRUE(id);
    EXPECT_EQ(id->text, "MFG:KORVA;MDL:KORVA20IIU-II;CMD:ESC/POS;");
    EXPECT_EQ(id->manufacturer, "KORVA");
    EXPECT_EQ(id->commandSet, "ESC/POS");
}
