// `korva logo convert` and `korva logo list` as a user runs them.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

#include "logo/BmpWriter.h"
#include "support/TestDir.h"

namespace korva::cli {
namespace {

namespace lt = korva::logo::test;

struct Result {
    int exitCode = -1;
    std::string out, err;
};

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class LogoCommand : public ::testing::Test {
  protected:
    Result Korva(const std::string& args, const std::string& env = "") {
        const std::string command = "cd '" + dir.path().string() + "' && " + env +
                                    " '" KORVA_BIN_DIR "/korva' " + args +
                                    " >stdout.txt 2>stderr.txt";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(dir / "stdout.txt"),
                ReadText(dir / "stderr.txt")};
    }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<uint8_t> Bytes(const std::string& name) {
        const std::string text = ReadText(dir / name);
        return {text.begin(), text.end()};
    }
    korva::test::TestDir dir;
};

TEST_F(LogoCommand, ConvertWritesThePrinterRaster) {
    Write("black.bmp", lt::Rgb24Bmp(100, 30, [](int, int) { return lt::Gray(0); }));
    Result r = Korva("logo convert black.bmp --out raster.bin");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "width=104 height=32 bytes=416\n");
    std::vector<uint8_t> column = {0xFF, 0xFF, 0xFF, 0xFC};  // 30 dots of 32
    std::vector<uint8_t> expected;
    for (int x = 0; x < 104; ++x)
        for (int b = 0; b < 4; ++b) expected.push_back(x < 100 ? column[b] : 0);
    EXPECT_EQ(Bytes("raster.bin"), expected);

    r = Korva(
        "logo convert black.bmp --out centred.bin --center --max-width 512 --preview dots.png");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "width=312 height=32 bytes=1248\n");
    std::vector<uint8_t> centred(832, 0);
    centred.insert(centred.end(), expected.begin(), expected.end());
    EXPECT_EQ(Bytes("centred.bin"), centred);
    const std::vector<uint8_t> png = Bytes("dots.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(png[18] << 8 | png[19], 312);  // IHDR width
    EXPECT_EQ(png[22] << 8 | png[23], 32);   // IHDR height

    r = Korva("logo convert black.bmp --out gray.bin --gray --threshold 40 --json");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "{\"bytes\":1664,\"command\":\"logo convert\",\"error\":null,\"height\":32,"
                     "\"outcome\":\"done\",\"reason\":\"none\",\"schema\":1,\"target\":null,\"width\":104}\n");
    EXPECT_EQ(Bytes("gray.bin").size(), 1664u);
    EXPECT_EQ(Bytes("gray.bin")[0], 0x55);
}

TEST_F(LogoCommand, ConvertRefusesBadFilesAndArguments) {
    Write("short.bmp", {'B', 'M', 0x40, 0, 0, 0});
    Result r = Korva("logo convert short.bmp --out r.bin");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("short.bmp: not a usable bitmap: the file is too short"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "r.bin"));

    r = Korva("logo convert absent.bmp --out r.bin");
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("cannot open absent.bmp"), std::string::npos) << r.err;

    // A picture cut short (still being copied) is refused in a person's words:
    // the program's one line and the reason line are all stderr carries, also
    // quiet or as JSON.
    const std::string gif = ReadText(std::filesystem::path(KORVA_TEST_DATA_DIR) / "logo/cut-source.gif");
    Write("photo.gif", {gif.begin(), gif.begin() + static_cast<long>(gif.size() / 2)});
    for (const char* mode : {"", "-q ", "-j "}) {
        r = Korva(std::string(mode) + "logo convert photo.gif --out r.bin");
        EXPECT_EQ(r.exitCode, 3) << mode;
        EXPECT_EQ(r.err, "korva logo convert: photo.gif: the file ends early (damaged or still being copied)\n"
                         "korva logo convert: reason: bad-input (the file is unusable; file photo.gif)\n")
            << mode;
    }
    // A picture the image library warns about (an unknown TIFF tag) is taken;
    // the library's words are a log line for -v, never bare on stderr.
    const std::string tif = ReadText(std::filesystem::path(KORVA_TEST_DATA_DIR) / "logo/unknown-tag.tif");
    Write("scan.tif", {tif.begin(), tif.end()});
    r = Korva("-q logo convert scan.tif --out r.bin");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "");
    r = Korva("-v logo convert scan.tif --out r.bin");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("korva: log: scan.tif: the picture's decoder says: TIFFReadDirectory: Warning, Unknown field "
                         "with tag 65000"),
              std::string::npos)
        << r.err;

    Write("ok.bmp", lt::Rgb24Bmp(8, 8, [](int, int) { return lt::Gray(0); }));
    for (const char* args :
         {"ok.bmp", "--out r.bin", "ok.bmp --out r.bin --threshold 256",
          "ok.bmp --out r.bin --max-width 513 --center", "ok.bmp --out r.bin --gray --center",
          "ok.bmp --out r.bin --bogus", "ok.bmp other.bmp --out r.bin"}) {
        r = Korva(std::string("logo convert ") + args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.err.find("Try 'korva logo convert --help'."), std::string::npos) << args;
    }
    r = Korva("logo convert ok.bmp --out /nonexistent-dir/r.bin");
    EXPECT_EQ(r.exitCode, 3);  // a file problem, not a printer one
    EXPECT_NE(r.err.find("cannot write"), std::string::npos);
}

TEST_F(LogoCommand, ListShowsTheProfilesLogos) {
    Write("a.bmp", lt::Rgb24Bmp(200, 100, [](int, int) { return lt::Gray(0); }));
    Write("로고.bmp", lt::Rgb24Bmp(8, 8, [](int, int) { return lt::Gray(0); }));
    const std::string ini = "[LOGO]\r\nLogofile1=" + (dir / "a.bmp").string() +
                            "\r\nLogofile2=" + (dir / "gone.bmp").string() +
                            "\r\nLogofile3=" + (dir / "로고.bmp").string() + "\r\n";
    Write("my.INI", {ini.begin(), ini.end()});
    Result r = Korva("logo list --profile my.INI");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("   1  a.bmp                                   2600  "), std::string::npos)
        << r.out;
    // Two columns for each Korean letter: the sizes stay in one column.
    EXPECT_NE(r.out.find("   3  로고.bmp" + std::string(35, ' ') + "8  "), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Number of Image Files:   2 / 255\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Total Image File Size:   3 / 384 KByte\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Bitmap files that was defined with Log file is incorrect."),
              std::string::npos);
    EXPECT_NE(r.err.find("Logofile2 refused: " + (dir / "gone.bmp").string() + ": cannot open"),
              std::string::npos)
        << r.err;

    // Without --profile: the tool's own profile in the working directory.
    Write("KorvaTool.INI", {ini.begin(), ini.end()});
    r = Korva("logo list");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Number of Image Files:   2 / 255\n"), std::string::npos) << r.out;

    // Elsewhere the profile in the user's configuration folder; a FIFO in
    // its place is skipped, never waited on.
    std::filesystem::remove(dir / "KorvaTool.INI");
    std::filesystem::create_directories(dir / "home/.config/korvatool");
    Write("home/.config/korvatool/KorvaTool.INI", {ini.begin(), ini.end()});
    const std::string home = "env -u XDG_CONFIG_HOME HOME='" + (dir / "home").string() + "'";
    r = Korva("logo list", home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Number of Image Files:   2 / 255\n"), std::string::npos) << r.out;
    ASSERT_EQ(::mkfifo((dir / "KorvaTool.INI").c_str(), 0644), 0);
    r = Korva("logo list", "timeout 20 " + home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("KorvaTool.INI is not a regular file: not read"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("Number of Image Files:   0 / 255\n"), std::string::npos) << r.out;

    r = Korva("logo list --profile none.INI");
    EXPECT_EQ(r.exitCode, 3);
    r = Korva("logo list --frobnicate");
    EXPECT_EQ(r.exitCode, 2);
}

}  // namespace
}  // namespace korva::cli
