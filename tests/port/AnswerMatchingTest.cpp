// The connection's dialogue: automatic status blocks out of the stream, and
// answers matched to the requests that asked for them, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Clock.h"
#include "port/AnswerMatcher.h"
#include "port/StatusBlockFilter.h"
#include "support/RecordingStream.h"
#include "usersetup/ReplyParser.h"

using namespace korva::port;
using Bytes = std::vector<uint8_t>;

namespace {

struct FilterCase {
    const char* name;
    std::vector<Bytes> reads;  ///< what arrives, read by read
    Bytes kept;                ///< what goes on, once nothing more came
    int blocks;
};

class StatusFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(StatusFilter, TakesOutWholeBlocksOnly) {
    const FilterCase& c = GetParam();
    StatusBlockFilter filter;
    Bytes out;
    int64_t now = 0;
    for (const Bytes& read : c.reads) {
        const Bytes part = filter.Feed(read, now);
        out.insert(out.end(), part.begin(), part.end());
        now += 5;  // within the hold time: a split block still joins up
    }
    const Bytes rest = filter.Release(now + StatusBlockFilter::kHoldMs);
    out.insert(out.end(), rest.begin(), rest.end());
    EXPECT_EQ(out, c.kept);
    EXPECT_EQ(filter.BlocksSeen(), c.blocks);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, StatusFilter,
    ::testing::Values(
        FilterCase{"AloneIsTakenOut", {{0x14, 0x00, 0x00, 0x0F}}, {}, 1},
        FilterCase{"BetweenAnswers", {{0x20, 0x14, 0x00, 0x00, 0x0F, 0x20}}, {0x20, 0x20}, 1},
        FilterCase{"InsideASettingReply",
                   {{0x37, 0x27, 0x32, 0x1F, 0x7C, 0x6F, 0x0F, 0x0F, 0x35, 0x00}},
                   {0x37, 0x27, 0x32, 0x1F, 0x35, 0x00}, 1},
        FilterCase{"SplitOverReads", {{0x20, 0x14}, {0x00}, {0x00, 0x0F}}, {0x20}, 1},
        FilterCase{"KorvaTenIdAloneIsAnAnswer", {{0x10}}, {0x10}, 0},
        FilterCase{"BeginningThatFails", {{0x14, 0x00, 0x10, 0x0F}}, {0x14, 0x00, 0x10, 0x0F}, 0},
        FilterCase{"TwoBlocksBackToBack",
                   {{0x14, 0x00, 0x00, 0x0F, 0x10, 0x00, 0x01, 0x0F, 0x22}}, {0x22}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

/// One event of a dialogue: a request (an ID request or a setting request) or bytes from the printer.
struct Step {
    enum Kind { AskId, AskSetting, Bytes_ } kind;
    Bytes bytes;  ///< Bytes_: what arrives
};

struct MatchCase {
    const char* name;
    std::vector<Step> steps;
    std::vector<bool> answered;  ///< per request in order of asking
    Bytes strays;
};

class Matching : public ::testing::TestWithParam<MatchCase> {};

TEST_P(Matching, EachAnswerGoesToItsOwnRequest) {
    const MatchCase& c = GetParam();
    AnswerMatcher matcher;
    std::vector<AnswerMatcher::Ticket> tickets;
    for (const Step& step : c.steps) {
        if (step.kind == Step::AskId) tickets.push_back(matcher.ExpectModelId());
        if (step.kind == Step::AskSetting)
            tickets.push_back(matcher.Expect("setting 2", [](std::span<const uint8_t> g) {
                return korva::usersetup::FitSettingReply(g, 2);
            }));
        if (step.kind == Step::Bytes_) matcher.Feed(step.bytes);
    }
    ASSERT_EQ(tickets.size(), c.answered.size());
    for (size_t i = 0; i < tickets.size(); ++i)
        EXPECT_EQ(matcher.Answered(tickets[i]), c.answered[i]) << "request " << i;
    EXPECT_EQ(matcher.TakeStrays(), c.strays);
}

const Step kId{Step::AskId, {}};
const Step kSetting{Step::AskSetting, {}};
Step From(Bytes b) { return {Step::Bytes_, std::move(b)}; }

INSTANTIATE_TEST_SUITE_P(
    Dialogues, Matching,
    ::testing::Values(
        MatchCase{"AnswerAfterRequest", {kId, From({0x20})}, {true}, {}},
        // A stray byte during the end wait is not the printer's answer.
        MatchCase{"StrayZeroIsNoAnswer", {kId, From({0x00})}, {false}, {0x00}},
        MatchCase{"StrayBeforeAnswer", {kId, From({0x00, 0x20})}, {true}, {0x00}},
        MatchCase{"UnknownModelIsNoAnswer", {kId, From({0x21})}, {false}, {0x21}},
        // Once the printer named its model, another ID is no answer.
        MatchCase{"OtherModelLaterIsNoAnswer", {kId, From({0x20}), kId, From({0x22})}, {true, false},
                  {0x22}},
        // The opening check's late answer is its own, not the end check's.
        MatchCase{"LateAnswerTakenAsItsOwn", {kId, kId, From({0x20})}, {true, false}, {}},
        MatchCase{"LateAndEndAnswers", {kId, kId, From({0x20, 0x20})}, {true, true}, {}},
        MatchCase{"NothingAskedIsStray", {From({0x20})}, {}, {0x20}},
        MatchCase{"SettingReplyThenId",
                  {kSetting, kId, From({0x37, 0x27, 0x32, 0x1F, 0x35, 0x00, 0x20})}, {true, true}, {}},
        // A reply for another setting is not this request's answer.
        MatchCase{"OtherSettingIsNoAnswer", {kSetting, From({0x37, 0x27, 0x33, 0x1F, 0x35, 0x00})},
                  {false}, {0x37, 0x27, 0x33, 0x1F, 0x35, 0x00}},
        MatchCase{"BrokenReplyThenWholeOne",
                  {kSetting, From({0x37, 0x27, 0x37, 0x27, 0x32, 0x1F, 0x00})}, {true}, {0x37, 0x27}}),
    [](const auto& info) { return std::string(info.param.name); });

// Through a port: what was on the line before a request never answers it,
// and a new connection forgets the requests of the old one.
TEST(PrinterDialogue, ANewConnectionForgetsOldRequests) {
    korva::base::RecordingClock clock;
    korva::test::RecordingStream stream(PortKind::Serial, clock);
    ASSERT_TRUE(stream.Open());
    const auto first = stream.Dialogue().AskModelId();
    ASSERT_TRUE(first);
    stream.Close();
    ASSERT_TRUE(stream.Open());
    const auto second = stream.Dialogue().AskModelId();
    ASSERT_TRUE(second);
    stream.replies = {0x14, 0x00, 0x00, 0x0F, 0x20};
    stream.Dialogue().Pump(1, clock);
    EXPECT_TRUE(stream.Dialogue().Answered(*second));
    ASSERT_TRUE(stream.Dialogue().LastStatus());
    EXPECT_EQ(*stream.Dialogue().LastStatus(), (std::array<uint8_t, 4>{0x14, 0x00, 0x00, 0x0F}));
}

}  // namespace
