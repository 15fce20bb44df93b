#include "base/Messages.h"

#include <gtest/gtest.h>

#include <string>

using namespace korva::base;

TEST(Messages, TableHoldsTheTextsByNumber) {
    EXPECT_EQ(std::string(Message(0)), "Input the output file name!");
    EXPECT_EQ(std::string(Message(11)),
              "KorvaTool support only One device.\r\nThere are too many device connected!");
    EXPECT_EQ(std::string(Message(15)), "Reseting the file. \nContinue it?");
    EXPECT_EQ(std::string(Message(50)),
              "Out of range the MAX NV memory Size!\r\nTotal NV Memory Size %dKB\r\n"
              "(NV User Memory + NV Graphic Memory)");
    EXPECT_EQ(std::string(Message(60)), "Please enter IP address between 1 ~ 254.");
    EXPECT_EQ(std::string(Message(61)), "");
    EXPECT_EQ(std::string(Message(-1)), "");
}

TEST(Messages, RepeatedTextsAreEqual) {
    EXPECT_STREQ(Message(20), Message(24));
    EXPECT_STREQ(Message(44), Message(47));
    EXPECT_STREQ(Message(34), Message(59));
    EXPECT_STRNE(Message(20), Message(22));
}

TEST(Messages, TitlesByNumber) {
    EXPECT_STREQ(Title(1), "KorvaTool - Ver %d.%d.%d.%d");
    EXPECT_STREQ(Title(3), "KorvaTool : Quelm Image Logo Setup");
    EXPECT_STREQ(Title(4), "KORVA20\r\nUSB-II Interface");
    EXPECT_STREQ(Title(6), "");
}
