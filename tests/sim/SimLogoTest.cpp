// NV bit images over the simulator's pty: definition, erase, capacity, printing
// and the paper roll.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QJsonArray>

#include "support/SimHarness.h"

using namespace korva::test;

namespace {

// The first example logo: 104 x 32 dots, 1-bit, its column raster.
QByteArray Raster104x32() {
    QByteArray raster;
    for (int column = 0; column < 104; ++column)
        for (int band = 0; band < 4; ++band)
            raster.append(char(column % 2 == 0 ? 0xAA : 0x0F));  // a pattern a mistake would break
    return raster;
}

// The roll as a binary PGM ("P5 w h 255" then one gray byte per pixel).
struct Gray {
    int width = 0, height = 0;
    QByteArray pixels;
    bool Dark(int x, int y) const { return uint8_t(pixels[y * width + x]) < 128; }
};

bool LoadPgm(const QString& path, Gray* image) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QList<QByteArray> header;
    while (header.size() < 4 && !file.atEnd()) {
        for (const QByteArray& word : file.readLine().simplified().split(' '))
            if (!word.isEmpty()) header << word;
    }
    if (header.size() != 4 || header[0] != "P5" || header[3] != "255") return false;
    image->width = header[1].toInt();
    image->height = header[2].toInt();
    image->pixels = file.readAll();
    return image->width > 0 && image->pixels.size() == qsizetype(image->width) * image->height;
}

class SimLogo : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.WithPaper("pgm").Start({"--serial"})) << sim.Error().toStdString();
        fd = OpenRawTty(sim.SerialPath());
        ASSERT_GE(fd, 0);
    }
    void TearDown() override {
        if (fd >= 0) ::close(fd);
    }
    // Writes in small pieces so commands are split across reads.
    void Send(const QByteArray& bytes, int piece = 7) {
        for (qsizetype i = 0; i < bytes.size(); i += piece) {
            ASSERT_TRUE(WriteAll(fd, bytes.mid(i, piece)));
            if (i % (piece * 50) == 0) usleep(1000);
        }
    }
    QJsonObject WaitPrinted(int count) {
        return sim.WaitForState(
            [count](const QJsonObject& s) { return s["printed"].toArray().size() >= count; });
    }

    SimHarness sim;
    int fd = -1;
};

TEST_F(SimLogo, TwoLogosFromTheUploadExampleAreStoredAsDefined) {
    QByteArray stream = Bytes("1c 71 02") + Bytes("0d 00 04 00") + Raster104x32() +
                        Bytes("40 00 01 00") + QByteArray(512, char(0x81));
    Send(stream);
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["nv_images"].toArray().size() == 2; });
    QJsonArray images = state["nv_images"].toArray();
    ASSERT_EQ(images.size(), 2);
    EXPECT_EQ(images[0].toObject(),
              (QJsonObject{
                  {"number", 1}, {"width", 104}, {"height", 32}, {"gray", false}, {"bytes", 416}}));
    EXPECT_EQ(images[1].toObject(),
              (QJsonObject{
                  {"number", 2}, {"width", 512}, {"height", 8}, {"gray", false}, {"bytes", 512}}));
    EXPECT_EQ(state["nv_used"].toInt(), 928);
    EXPECT_EQ(SimHarness::Received(state, 0), stream);
    EXPECT_EQ(state["received"].toArray()[0].toObject()["unknown"].toString(), "");
}

TEST_F(SimLogo, GrayHeaderAndStarPrefixAndErase) {
    Send(Bytes("1b 1c 71 01 0d a0 04 00") + QByteArray(1664, char(0x50)));
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["nv_images"].toArray().size() == 1; });
    EXPECT_EQ(state["nv_images"].toArray()[0].toObject()["gray"].toBool(), true);
    EXPECT_EQ(state["nv_images"].toArray()[0].toObject()["width"].toInt(), 104);

    Send(Bytes("1c 71 01 00 00 00 00"));  // erase all: one image of 0 x 0
    state =
        sim.WaitForState([](const QJsonObject& s) { return s["nv_images"].toArray().isEmpty(); });
    EXPECT_TRUE(state["nv_images"].toArray().isEmpty());
    EXPECT_EQ(state["nv_used"].toInt(), 0);
}

TEST_F(SimLogo, CapacityIsExactlyFilledAndOverflowRefused) {
    // 1536 x 2048 dots = 393,216 bytes: exactly the 384 KB, accepted.
    Send(Bytes("1c 71 02 c0 00 00 01") + QByteArray(393216, char(0x01)) + Bytes("01 00 01 00") +
             QByteArray(8, char(0x01)) + Bytes("1b 40 0a"),
         4096);
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["initializations"].toInt() == 1; });
    QJsonArray images = state["nv_images"].toArray();
    ASSERT_EQ(images.size(), 1);  // the second, 8 bytes more, no longer fits
    EXPECT_EQ(images[0].toObject()["bytes"].toInt(), 393216);
    EXPECT_EQ(state["lines"].toArray().size(), 1);  // bytes after the refused image decode again
}

TEST_F(SimLogo, CancelledUploadCompletedWithEmptyHeadersKeepsTheSentImages) {
    Send(Bytes("1c 71 03 01 00 01 00") + QByteArray(8, char(0xFF)) +
         Bytes("00 00 00 00 00 00 00 00") + Bytes("1c 70 01 00"));
    QJsonObject state = WaitPrinted(1);
    EXPECT_EQ(state["nv_images"].toArray().size(), 1);
    EXPECT_TRUE(state["printed"].toArray()[0].toObject()["defined"].toBool());
}

TEST_F(SimLogo, PrintCommandsWithAndWithoutEscAndTheirSizes) {
    Send(Bytes("1c 71 01 01 00 01 00") + QByteArray(8, char(0xFF)));
    Send(Bytes("1c 70 01 00 1b 1c 70 01 01 1c 70 01 02 1b 1c 70 01 03 1c 70 07 02") +
         QByteArray("--- Logo 1 ---\n"));
    QJsonObject state = WaitPrinted(5);
    QJsonArray printed = state["printed"].toArray();
    ASSERT_EQ(printed.size(), 5);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(printed[i].toObject(),
                  (QJsonObject{{"logo", 1}, {"size", i}, {"defined", true}}));
    }
    EXPECT_EQ(printed[4].toObject(), (QJsonObject{{"logo", 7}, {"size", 2}, {"defined", false}}));
    state = sim.WaitForState([](const QJsonObject& s) { return !s["lines"].toArray().isEmpty(); });
    EXPECT_EQ(state["lines"].toArray()[0].toString(), "--- Logo 1 ---");
}

TEST_F(SimLogo, PaperShowsTheLogoDotsAtDoubleWidth) {
    // 16 x 8 dots: column x holds one dot at row x % 8, a diagonal.
    QByteArray raster;
    for (int x = 0; x < 16; ++x) raster.append(char(0x80 >> (x % 8)));
    Send(Bytes("1c 71 01 02 00 01 00") + raster + Bytes("1c 70 01 01"));
    WaitPrinted(1);
    Gray paper;
    sim.WaitForState([&](const QJsonObject&) { return LoadPgm(sim.PaperPath(), &paper); });
    ASSERT_GT(paper.width, 0);

    // Find the top-left dark pixel, then compare every pixel of the 32 x 8 area.
    int top = -1, left = paper.width;
    for (int y = 0; y < paper.height; ++y)
        for (int x = 0; x < paper.width; ++x)
            if (paper.Dark(x, y)) {
                if (top < 0) top = y;
                left = std::min(left, x);
            }
    ASSERT_GE(top, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool expected = (x / 2) % 8 == y;
            EXPECT_EQ(paper.Dark(left + x, top + y), expected) << "x " << x << " y " << y;
        }
    EXPECT_EQ(left, 0);  // the left margin is 0 dots by default
}

}  // namespace
