// `korva logo upload|erase|print` run as subprocesses: output files compared
// whole, exit codes and error texts for every refusal.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <QImage>
#include <QJsonDocument>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "logo/BmpWriter.h"
#include "support/RecordingStream.h"
#include "support/TestDir.h"

namespace {

using korva::test::HexBytes;

struct Result {
    int exitCode = -1;
    std::string err;
    std::string out;
};

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    const std::string text = ReadText(path);
    return {text.begin(), text.end()};
}

class LogoCommands : public ::testing::Test {
protected:
    Result Korva(const std::string& args) {
        const auto errPath = dir / "stderr.txt";
        const auto outPath = dir / "stdout.txt";
        const std::string command = "cd '" + dir.path().string() + "' && '" KORVA_BIN_DIR "/korva' " +
                                    args + " >'" + outPath.string() + "' 2>'" + errPath.string() +
                                    "' </dev/null";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(errPath), ReadText(outPath)};
    }
    std::string BlackBmp(const std::string& name, int w, int h) {
        const auto bytes =
            korva::logo::test::Rgb24Bmp(w, h, [](int, int) { return korva::logo::test::Rgb{}; });
        const auto path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        return path.string();
    }
    korva::test::TestDir dir;
};

/// Column raster of an all-black w x h image padded to whole bytes.
std::vector<uint8_t> BlackRaster(int w, int h) {
    std::vector<uint8_t> out;
    for (int x = 0; x < (w + 7) / 8 * 8; ++x)
        for (int band = 0; band < (h + 7) / 8; ++band) {
            const int rows = std::min(8, h - band * 8);
            out.push_back(x < w ? static_cast<uint8_t>(0xFF << (8 - rows)) : 0);
        }
    return out;
}

TEST_F(LogoCommands, UploadToFileWritesTheTwoLogoExample) {
    BlackBmp("one.bmp", 100, 30);
    BlackBmp("two.bmp", 512, 8);
    const Result r = Korva("logo upload --to-file out.prn one.bmp two.bmp");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<uint8_t> expected = HexBytes("1C 71 02 0D 00 04 00");
    const auto first = BlackRaster(100, 30);
    expected.insert(expected.end(), first.begin(), first.end());
    for (uint8_t b : HexBytes("40 00 01 00")) expected.push_back(b);
    const auto second = BlackRaster(512, 8);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(ReadBytes(dir / "out.prn"), expected);
    // A file takes no paper feed, so none is announced.
    EXPECT_NE(r.err.find("Complete the NV bit image definition.\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("paper feed"), std::string::npos) << r.err;
    // The last status comes before the message it led to.
    EXPECT_NE(r.err.find("Updating(928/928)...two.bmp\nkorva logo upload: Complete the NV"),
              std::string::npos)
        << r.err;

    // The same black picture as a PNG and as a JPEG: the same stream.
    QImage picture(512, 8, QImage::Format_ARGB32);
    picture.fill(Qt::black);
    ASSERT_TRUE(picture.save(QString::fromStdString((dir / "two.png").string())));
    ASSERT_TRUE(picture.save(QString::fromStdString((dir / "two.jpg").string()), "JPEG", 100));
    for (const char* second : {"two.png", "two.jpg"}) {
        const Result again = Korva(std::string("logo upload --to-file again.prn one.bmp ") + second);
        ASSERT_EQ(again.exitCode, 0) << again.err;
        EXPECT_EQ(ReadBytes(dir / "again.prn"), expected) << second;
    }
}

TEST_F(LogoCommands, UploadOptionsReachTheStream) {
    BlackBmp("one.bmp", 100, 30);
    ASSERT_EQ(Korva("logo upload --to-file star.prn --star --center=1 --max-width 200 one.bmp")
                  .exitCode, 0);
    const auto star = ReadBytes(dir / "star.prn");
    // (200 - 104) / 2 = 48 blank columns: 152 dots = 19 bytes wide.
    EXPECT_EQ(std::vector<uint8_t>(star.begin(), star.begin() + 8), HexBytes("1B 1C 71 01 13 00 04 00"));
    EXPECT_EQ(star.size(), 8u + 152 * 4);

    const Result json = Korva("logo upload --to-file gray.prn --gray --json one.bmp");
    ASSERT_EQ(json.exitCode, 0) << json.err;
    // A file cannot confirm anything: sent, not confirmed.
    for (const char* piece : {"\"bytes\":1664,\"changed\":null,\"command\":\"logo upload\",\"confirmed\":false,",
                              "\"images\":1,\"images_begun\":1,", "\"outcome\":\"done\",\"reason\":\"not-confirmed\",",
                              "\"target\":{\"ip\":null,\"mac\":null,\"port\":\"gray.prn\",\"tcp_port\":null}"})
        EXPECT_NE(json.out.find(piece), std::string::npos) << piece << " in " << json.out;
    // The fingerprint of the definition, and of its one logo.
    EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(json.out))["fingerprint"].toString().size(), 71);
    const auto gray = ReadBytes(dir / "gray.prn");
    EXPECT_EQ(std::vector<uint8_t>(gray.begin(), gray.begin() + 7), HexBytes("1C 71 01 0D A0 04 00"));
    EXPECT_EQ(gray.size(), 7u + 1664);
}

TEST_F(LogoCommands, EraseToFile) {
    const Result r = Korva("logo erase --to-file erase.prn --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir / "erase.prn"), HexBytes("1C 71 01 00 00 00 00"));
    EXPECT_EQ(r.out, "{\"changed\":null,\"command\":\"logo erase\",\"confirmed\":false,\"dry_run\":false,"
                     "\"error\":null,\"outcome\":\"done\",\"reason\":\"not-confirmed\",\"schema\":1,"
                     "\"skipped\":false,\"target\":{\"ip\":null,"
                     "\"mac\":null,\"port\":\"erase.prn\",\"tcp_port\":null}}\n");
}

TEST_F(LogoCommands, BadInputFilesAreNamedAndNothingIsWritten) {
    BlackBmp("one.bmp", 100, 30);
    std::ofstream(dir / "text.bmp") << "not a bitmap";
    Result r = Korva("logo upload --to-file out.prn one.bmp missing.bmp");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("missing.bmp"), std::string::npos) << r.err;
    r = Korva("logo upload --to-file out.prn text.bmp");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("text.bmp"), std::string::npos) << r.err;
    // 400 x 1000 dots = 50,000 bytes; eight of them pass 384 KB.
    BlackBmp("big.bmp", 400, 1000);
    r = Korva("logo upload --to-file out.prn big.bmp big.bmp big.bmp big.bmp big.bmp big.bmp "
              "big.bmp big.bmp");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("NV-bitimage area too small"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.prn"));
}

TEST_F(LogoCommands, UsageErrors) {
    BlackBmp("one.bmp", 8, 8);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"logo upload one.bmp", "give either --port or --out"},
        {"logo upload --port /dev/ttyS0 --to-file x.prn one.bmp", "give either"},
        {"logo upload --to-file x.prn", "no bitmap files"},
        {"logo upload --to-file x.prn --threshold 256 one.bmp", "--threshold"},
        {"logo upload --to-file x.prn --max-width 0 one.bmp", "--max-width"},
        {"logo upload --to-file x.prn --center=2 one.bmp", "--center names logo 2"},
        {"logo upload --to-file x.prn --center=1,,2 one.bmp", "--center"},
        {"logo upload --to-file x.prn --model KORVA10S --gray one.bmp", "gray printing"},
        {"logo upload --to-file x.prn --bogus one.bmp", "unknown option --bogus"},
        {"logo erase", "give either"},
        {"logo print --port /dev/ttyS0 --select 1,,2", "NV image number is incorrect."},
        {"logo print --port /dev/ttyS0 --select 256", "NV image number is incorrect."},
        {"logo print --port /dev/ttyS0 --all --select 3", "not both"},
        {"logo print --port /dev/ttyS0 --size huge", "--size"},
        {"logo print --select 3", "--port is required"},
        {"logo print --port FILE", "printing needs a printer port"},
    };
    for (const auto& [args, text] : cases) {
        const Result r = Korva(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.err.find(text), std::string::npos) << args << "\n" << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x.prn"));
}

TEST_F(LogoCommands, APortThatCannotBeOpenedFails) {
    BlackBmp("one.bmp", 8, 8);
    const Result r = Korva("logo upload --port /dev/ttyKORVA-none --json one.bmp");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\"outcome\":\"failed\""), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Open port or file."), std::string::npos) << r.err;
    const Result p = Korva("logo print --port /dev/ttyKORVA-none --select 3");
    EXPECT_EQ(p.exitCode, 1);
    EXPECT_NE(p.err.find("ERROR : Port open."), std::string::npos) << p.err;
}

}  // namespace
