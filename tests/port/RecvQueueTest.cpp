#include "port/RecvQueue.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

using korva::port::CRecvQueue;

namespace {
std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(seed + i * 7);
    return out;
}
std::vector<uint8_t> Drain(CRecvQueue& queue) {
    std::vector<uint8_t> out;
    while (!queue.IsEmpty()) out.push_back(queue.Get());
    return out;
}
}  // namespace

TEST(RecvQueue, HoldsAtMost4095Bytes) {
    auto queue = std::make_unique<CRecvQueue>();
    EXPECT_TRUE(queue->PutChunk(Pattern(4095, 1)));
    EXPECT_EQ(queue->Count(), 4095u);
    EXPECT_FALSE(queue->Put(0xAA));
    EXPECT_EQ(Drain(*queue), Pattern(4095, 1));

    auto fresh = std::make_unique<CRecvQueue>();
    EXPECT_FALSE(fresh->PutChunk(Pattern(4096, 1)));
    EXPECT_TRUE(fresh->IsEmpty());
}

TEST(RecvQueue, ChunkRuleEdgeAndOrderAfterRefusal) {
    auto queue = std::make_unique<CRecvQueue>();
    ASSERT_TRUE(queue->PutChunk(Pattern(3000, 3)));
    EXPECT_FALSE(queue->PutChunk(Pattern(1096, 9)));  // would leave no free slot
    EXPECT_EQ(queue->Count(), 3000u);
    EXPECT_TRUE(queue->PutChunk(Pattern(1095, 5)));
    EXPECT_EQ(queue->Count(), 4095u);

    std::vector<uint8_t> expected = Pattern(3000, 3);
    const auto second = Pattern(1095, 5);
    expected.insert(expected.end(), second.begin(), second.end());
    std::vector<uint8_t> got;
    for (int i = 0; i < 1000; ++i) got.push_back(queue->Get());
    // Room again once the tools took bytes out; stored after what was held.
    EXPECT_TRUE(queue->PutChunk(Pattern(900, 11)));
    const auto rest = Drain(*queue);
    got.insert(got.end(), rest.begin(), rest.end());
    const auto third = Pattern(900, 11);
    expected.insert(expected.end(), third.begin(), third.end());
    EXPECT_EQ(got, expected);
}

TEST(RecvQueue, WrapsCountsAndClears) {
    auto queue = std::make_unique<CRecvQueue>();
    for (int round = 0; round < 5; ++round) {
        ASSERT_TRUE(queue->PutChunk(Pattern(1500, static_cast<uint8_t>(round))));
        EXPECT_EQ(queue->Count(), 1500u);
        EXPECT_EQ(Drain(*queue), Pattern(1500, static_cast<uint8_t>(round)));
    }
    queue->PutChunk(Pattern(10, 0));
    queue->Clear();
    EXPECT_TRUE(queue->IsEmpty());
    EXPECT_EQ(queue->Count(), 0u);
    EXPECT_EQ(queue->Get(), 0);  // empty: nothing taken, no position moved
    EXPECT_TRUE(queue->IsEmpty());
    queue->PutChunk(Pattern(10, 0));
    queue->DiscardAll();
    EXPECT_TRUE(queue->IsEmpty());
}

TEST(RecvQueue, OneProducerOneConsumerMoveAMillionBytes) {
    auto queue = std::make_unique<CRecvQueue>();
    constexpr size_t kTotal = 1'000'000;
    std::thread producer([&] {
        size_t sent = 0;
        uint8_t chunk[97];
        while (sent < kTotal) {
            const size_t n = std::min(sizeof chunk, kTotal - sent);
            for (size_t i = 0; i < n; ++i) chunk[i] = static_cast<uint8_t>((sent + i) % 251);
            if (queue->PutChunk(std::span(chunk, n))) {
                sent += n;
            } else {
                std::this_thread::yield();
            }
        }
    });
    size_t received = 0;
    size_t mismatches = 0;
    while (received < kTotal) {
        if (queue->IsEmpty()) {
            std::this_thread::yield();
            continue;
        }
        if (queue->Get() != static_cast<uint8_t>(received % 251)) ++mismatches;
        ++received;
    }
    producer.join();
    EXPECT_EQ(mismatches, 0u);
    EXPECT_TRUE(queue->IsEmpty());
}
