#include "logo/PrintPlan.h"

#include <gtest/gtest.h>

#include "support/RecordingStream.h"

using namespace korva::logo;
using korva::test::HexBytes;

namespace {
std::vector<PlanRange> Ranges(std::string_view text) {
    const PrintPlan plan = ParsePrintPlan(text);
    EXPECT_TRUE(plan.ok()) << "refused: " << text;
    return plan.ranges;
}
PlanError ErrorOf(std::string_view text) { return ParsePrintPlan(text).error; }
}  // namespace

TEST(PrintPlan, ExampleSelectionKeepsWrittenOrderAndStoresRangesLowToHigh) {
    const PrintPlan plan = ParsePrintPlan(",3,9-7,-2,");
    ASSERT_TRUE(plan.ok());
    EXPECT_EQ(plan.ranges, (std::vector<PlanRange>{{3, 3}, {7, 9}, {1, 2}}));
    EXPECT_EQ(plan.total(), 6);
}

TEST(PrintPlan, MissingEndsMeanOneAnd255) {
    EXPECT_EQ(Ranges("-"), (std::vector<PlanRange>{{1, 255}}));
    EXPECT_EQ(Ranges("-4"), (std::vector<PlanRange>{{1, 4}}));
    EXPECT_EQ(Ranges("250-"), (std::vector<PlanRange>{{250, 255}}));
    EXPECT_EQ(Ranges("255"), (std::vector<PlanRange>{{255, 255}}));
    EXPECT_EQ(Ranges("1"), (std::vector<PlanRange>{{1, 1}}));
    EXPECT_EQ(Ranges("007"), (std::vector<PlanRange>{{7, 7}}));  // digits, value 7
}

TEST(PrintPlan, OnlyOneLeadingAndOneTrailingCommaAreDropped) {
    EXPECT_EQ(Ranges(",5"), (std::vector<PlanRange>{{5, 5}}));
    EXPECT_EQ(Ranges("5,"), (std::vector<PlanRange>{{5, 5}}));
    EXPECT_EQ(Ranges("-,"), (std::vector<PlanRange>{{1, 255}}));
    EXPECT_EQ(ErrorOf(",,5"), PlanError::DoubleComma);
    EXPECT_EQ(ErrorOf("5,,"), PlanError::DoubleComma);
}

TEST(PrintPlan, RepeatsAndOverlapsCountAgain) {
    const PrintPlan plan = ParsePrintPlan("1-255,1-255");
    ASSERT_TRUE(plan.ok());
    EXPECT_EQ(plan.total(), 510);
    EXPECT_EQ(ParsePrintPlan("4,4,3-5").total(), 5);
}

TEST(PrintPlan, RefusesEveryTextThatBreaksARule) {
    EXPECT_EQ(ErrorOf(""), PlanError::Empty);
    EXPECT_EQ(ErrorOf(","), PlanError::Empty);
    EXPECT_EQ(ErrorOf("a"), PlanError::BadCharacter);
    EXPECT_EQ(ErrorOf("1 2"), PlanError::BadCharacter);
    EXPECT_EQ(ErrorOf("1;2"), PlanError::BadCharacter);
    EXPECT_EQ(ErrorOf("+3"), PlanError::BadCharacter);
    EXPECT_EQ(ErrorOf(std::string_view("1\0", 2)), PlanError::BadCharacter);
    EXPECT_EQ(ErrorOf("1,,2"), PlanError::DoubleComma);
    EXPECT_EQ(ErrorOf("1--3"), PlanError::DoubleDash);
    EXPECT_EQ(ErrorOf("--"), PlanError::DoubleDash);
    EXPECT_EQ(ErrorOf("1-2-3"), PlanError::BadItem);
    EXPECT_EQ(ErrorOf("0"), PlanError::OutOfRange);
    EXPECT_EQ(ErrorOf("256"), PlanError::OutOfRange);
    EXPECT_EQ(ErrorOf("0-5"), PlanError::OutOfRange);
    EXPECT_EQ(ErrorOf("5-256"), PlanError::OutOfRange);
    EXPECT_EQ(ErrorOf("3,0"), PlanError::OutOfRange);
    EXPECT_EQ(ErrorOf("99999999999999999999999"), PlanError::OutOfRange);
    EXPECT_EQ(ErrorOf(",,"), PlanError::DoubleComma);
    // A refused text never hands back a partial plan.
    EXPECT_TRUE(ParsePrintPlan("3,4,0").ranges.empty());
}

TEST(PrintCommand, SizesStarPrefixAndHeaderLine) {
    EXPECT_EQ(EncodeNvPrintCommand(7, PrintSize::DoubleHeight, false), HexBytes("1C 70 07 02"));
    EXPECT_EQ(EncodeNvPrintCommand(7, PrintSize::DoubleHeight, true), HexBytes("1B 1C 70 07 02"));
    EXPECT_EQ(EncodeNvPrintCommand(255, PrintSize::Quadruple, false), HexBytes("1C 70 FF 03"));
    EXPECT_EQ(EncodeNvPrintCommand(1, PrintSize::Normal, false), HexBytes("1C 70 01 00"));
    EXPECT_EQ(EncodeNvPrintCommand(1, PrintSize::DoubleWidth, false), HexBytes("1C 70 01 01"));
    EXPECT_EQ(EncodeLogoHeaderLine(3), "--- Logo 3 ---\n");
    EXPECT_EQ(EncodeLogoHeaderLine(255), "--- Logo 255 ---\n");
}
