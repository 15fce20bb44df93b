#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "UserSetupTestSupport.h"
#include "port/RecvQueue.h"
#include "support/RecordingStream.h"
#include "usersetup/ReplyReader.h"

namespace korva::usersetup {
namespace {

void PutAll(port::CRecvQueue& queue, const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) ASSERT_TRUE(queue.Put(b));
}

TEST(ReplyReader, HandsRepliesToTheOwnerThreadInOrder) {
    test::EnsureQtApp();
    port::CRecvQueue queue;
    ReplyReader reader;
    std::vector<SettingReply> got;
    bool onOwnerThread = true;
    const auto owner = std::this_thread::get_id();
    reader.SetHandler([&](const SettingReply& r) {
        onOwnerThread = onOwnerThread && std::this_thread::get_id() == owner;
        got.push_back(r);
    });
    ASSERT_TRUE(reader.StartQueue(queue));
    PutAll(queue, test::HexBytes("37 27 33 1f 36 00 99 37 27 32 35 33 1f 31 00"));
    EXPECT_TRUE(test::SpinUntil([&] { return got.size() == 2; }));
    reader.Stop();
    EXPECT_EQ(got, (std::vector<SettingReply>{{3, "6"}, {253, "1"}}));
    EXPECT_TRUE(onOwnerThread);
    EXPECT_FALSE(reader.Running());
}

TEST(ReplyReader, StopEndsAReaderWaitingForItsHandOver) {
    test::EnsureQtApp();
    port::CRecvQueue queue;
    ReplyReader reader;
    int handled = 0;
    reader.SetHandler([&](const SettingReply&) { ++handled; });
    for (int i = 0; i < 20; ++i) PutAll(queue, test::HexBytes("37 27 32 35 30 1f 31 00"));
    ASSERT_TRUE(reader.StartQueue(queue));
    // No event loop runs: the reader now waits in its first hand-over.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    reader.Stop();
    EXPECT_FALSE(reader.Running());
    EXPECT_EQ(handled, 0);  // replies arriving during the stop are dropped
    EXPECT_FALSE(queue.IsEmpty());
}

TEST(ReplyReader, DiscardDropsWhatWaitsAndAReplyBegun) {
    test::EnsureQtApp();
    port::CRecvQueue queue;
    ReplyReader reader;
    std::vector<SettingReply> got;
    reader.SetHandler([&](const SettingReply& r) { got.push_back(r); });
    ASSERT_TRUE(reader.StartQueue(queue));
    PutAll(queue, test::HexBytes("37 27 32 35 30 1f 39"));  // a reply cut short
    EXPECT_TRUE(test::SpinUntil([&] { return queue.IsEmpty(); }));
    // Done before it returns: bytes put right after belong to the next reply.
    ASSERT_TRUE(reader.DiscardPending());
    PutAll(queue, test::HexBytes("37 27 31 1f 35 00"));
    EXPECT_TRUE(test::SpinUntil([&] { return !got.empty(); }));
    EXPECT_EQ(got, (std::vector<SettingReply>{{1, "5"}}));
}

TEST(ReplyReader, AStartThatFailsIsReported) {
    test::EnsureQtApp();
    port::CRecvQueue queue;
    ReplyReader reader;
    reader.FailNextStart();
    EXPECT_FALSE(reader.StartQueue(queue));
    EXPECT_FALSE(reader.Running());
    EXPECT_TRUE(reader.StartQueue(queue));
}

}  // namespace
}  // namespace korva::usersetup
