#pragma once
// Shared pieces of the upload and print engine tests: a recording port, a
// recording clock, an in-memory profile and a converter of made-up rasters.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "base/ErrorLog.h"
#include "base/Profile.h"
#include "logo/NvUpload.h"
#include "support/RecordedMessages.h"
#include "support/RecordingStream.h"
#include "support/TestDir.h"

namespace korva::test {

class MemoryProfile final : public base::Profile {
public:
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback) const override {
        auto it = values.find(section + "/" + key);
        return it == values.end() ? fallback : it->second;
    }
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        values[section + "/" + key] = value;
        return true;
    }
    bool DeleteKey(const std::string& section, const std::string& key) override {
        values.erase(section + "/" + key);
        return true;
    }
    std::map<std::string, std::string> values;
};

/// A raster of w x h dots whose bytes are a pattern seeded by `seed`.
inline logo::LogoRaster MadeUpRaster(int w, int h, int seed, bool gray = false) {
    logo::LogoRaster r;
    r.paddedWidth = w;
    r.paddedHeight = h;
    r.data.resize(static_cast<size_t>(w) * h / (gray ? 2 : 8));
    for (size_t i = 0; i < r.data.size(); ++i) r.data[i] = static_cast<uint8_t>(seed * 31 + i * 7);
    return r;
}

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(log.OpenLog((dir / "error.log").string()), 1); }

    /// Adds a listed file that converts to a w x h raster.
    void List(int number, const std::string& name, int w, int h) {
        const std::string path = "/logos/" + name;
        entries.push_back({number, name, path, static_cast<long>(w) * h / (gray ? 2 : 8)});
        rasters[path] = MadeUpRaster(w, h, number, gray);
    }
    logo::LogoConverter Converter() {
        return [this](const logo::UploadEntry& entry, int position, logo::LogoRaster& out) {
            positions.push_back(position);
            auto it = rasters.find(entry.path);
            if (it == rasters.end()) return false;
            out = it->second;
            return true;
        };
    }
    std::unique_ptr<logo::NvUpload> MakeUpload(port::PortKind kind,
                                               base::MsgAnswer answer = base::MsgAnswer::Yes) {
        stream = std::make_unique<RecordingStream>(kind, clock);
        // The printer's ID byte, then its NV graphics size: 384 KByte.
        stream->replies = {0x20, 0x37, 0x27, '2', 0x1F, '7', 0x00};
        messages.reset();  // restores the handler before the next one is installed
        messages = std::make_unique<RecordedMessages>(answer);
        logo::NvUploadSettings settings;
        settings.starEmulation = star;
        settings.grayPrinting = gray;
        settings.profile = &profile;
        settings.savedKeyCount = savedKeyCount;
        return std::make_unique<logo::NvUpload>(*stream, clock, log, entries, Converter(),
                                                settings);
    }
    logo::NvUpload::Outcome Run(logo::NvUpload& upload,
                                const std::function<void()>& between = {}) {
        base::RunSteps(upload, clock, between);
        return upload.GetOutcome();
    }
    std::string LogText() const {
        std::ifstream in(dir / "error.log", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::vector<uint8_t> Raster(int number) const {
        for (const auto& e : entries)
            if (e.number == number) return rasters.at(e.path).data;
        return {};
    }

    TestDir dir;
    base::RecordingClock clock;
    base::CErrorLog log;
    MemoryProfile profile;
    std::vector<logo::UploadEntry> entries;
    std::map<std::string, logo::LogoRaster> rasters;
    std::vector<int> positions;
    std::unique_ptr<RecordingStream> stream;
    std::unique_ptr<RecordedMessages> messages;
    bool star = false;
    bool gray = false;
    int savedKeyCount = 0;
};

}  // namespace korva::test
