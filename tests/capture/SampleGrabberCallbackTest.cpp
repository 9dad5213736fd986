// The capture object's sample callback: what reaches the registered procedure
// for each sample, and the (procedure, data) pair replaced while samples flow.

#include "FakeMediaSample.h"

#include "capture/TSampleGrabberCB.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kamsel::capture {
namespace {

using test::FakeMediaSample;

// Records what one registered procedure received.
struct Receiver {
    int calls = 0;
    const std::uint8_t* buffer = nullptr;
    std::int32_t length = 0;

    void Receive(const std::uint8_t* data, std::int32_t& bytes) {
        ++calls;
        buffer = data;
        length = bytes;
    }
    TSampleCallBack CallBack() { return TSampleCallBack::Bind<&Receiver::Receive>(this); }
};

com::ComPtr<FakeMediaSample> Sample(std::size_t capacity, com::LONG validLength) {
    return com::MakeComObject<FakeMediaSample>(std::vector<dshow::BYTE>(capacity, 0x5A), validLength);
}

TEST(SampleGrabberCallback, SampleCBDeliversTheWholeBufferUncopied) {
    TSampleGrabberCBImpl impl;
    Receiver receiver;
    impl.SetSampleCallBack(receiver.CallBack());

    // A compressed frame fills only part of its buffer; the capacity is what
    // is delivered.
    auto sample = Sample(614400, 23456);
    EXPECT_EQ(impl.SampleCB(0.0, sample.Get()), com::S_OK);

    EXPECT_EQ(receiver.calls, 1);
    EXPECT_EQ(receiver.buffer, sample->Data());
    EXPECT_EQ(receiver.length, 614400);
}

TEST(SampleGrabberCallback, SamplesWithoutDataDeliverNothing) {
    TSampleGrabberCBImpl impl;
    Receiver receiver;
    impl.SetSampleCallBack(receiver.CallBack());

    auto empty = Sample(0, 0);
    auto negative = Sample(16, 16);
    negative->ReportSize(-5);
    auto noPointer = Sample(16, 16);
    noPointer->FailGetPointer(com::E_FAIL);
    std::uint8_t byte = 0;

    EXPECT_EQ(impl.SampleCB(0.0, empty.Get()), com::S_OK);
    EXPECT_EQ(impl.SampleCB(0.0, negative.Get()), com::S_OK);
    EXPECT_EQ(impl.SampleCB(0.0, noPointer.Get()), com::S_OK);
    EXPECT_EQ(impl.SampleCB(0.0, nullptr), com::S_OK);
    EXPECT_EQ(impl.BufferCB(0.0, &byte, 0), com::S_OK);
    EXPECT_EQ(impl.BufferCB(0.0, &byte, -1), com::S_OK);
    EXPECT_EQ(receiver.calls, 0);
    EXPECT_EQ(impl.DroppedSamples(), 0u);
}

TEST(SampleGrabberCallback, BufferCBDeliversTheGivenLength) {
    TSampleGrabberCBImpl impl;
    Receiver receiver;
    impl.SetSampleCallBack(receiver.CallBack());
    std::vector<std::uint8_t> bytes(100);

    EXPECT_EQ(impl.BufferCB(1.5, bytes.data(), 42), com::S_OK);

    EXPECT_EQ(receiver.calls, 1);
    EXPECT_EQ(receiver.buffer, bytes.data());
    EXPECT_EQ(receiver.length, 42);
}

TEST(SampleGrabberCallback, SamplesBeforeRegistrationAreDroppedAndCounted) {
    TSampleGrabberCBImpl impl;
    auto sample = Sample(64, 64);
    std::uint8_t byte = 1;

    EXPECT_EQ(impl.SampleCB(0.0, sample.Get()), com::S_OK);
    EXPECT_EQ(impl.BufferCB(0.0, &byte, 1), com::S_OK);
    EXPECT_EQ(impl.DroppedSamples(), 2u);

    Receiver receiver;
    impl.SetSampleCallBack(receiver.CallBack());
    impl.SampleCB(0.0, sample.Get());
    EXPECT_EQ(receiver.calls, 1);
    EXPECT_EQ(impl.DroppedSamples(), 2u);

    // Clearing the registration drops again.
    impl.SetSampleCallBack({});
    impl.SampleCB(0.0, sample.Get());
    EXPECT_EQ(receiver.calls, 1);
    EXPECT_EQ(impl.DroppedSamples(), 3u);
}

TEST(SampleGrabberCallback, ReplacedPairReceivesTheNextSample) {
    TSampleGrabberCBImpl impl;
    Receiver first;
    Receiver second;
    auto sample = Sample(32, 32);

    impl.SetSampleCallBack(first.CallBack());
    impl.SampleCB(0.0, sample.Get());
    impl.SetSampleCallBack(second.CallBack());
    impl.SampleCB(0.0, sample.Get());

    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 1);
    EXPECT_EQ(impl.GetSampleCallBack(), second.CallBack());
}

TEST(SampleGrabberCallback, CallbackObjectForwardsAndIsCounted) {
    auto* raw = new TSampleGrabberCB(std::make_unique<TSampleGrabberCBImpl>());
    com::ComPtr<TSampleGrabberCBInt> callback(raw);
    Receiver receiver;
    raw->Implementation().SetSampleCallBack(receiver.CallBack());

    // It is the grabber's callback interface, not an identity of its own.
    com::ComPtr<dshow::ISampleGrabberCB> asGrabberCB;
    ASSERT_EQ(callback.As(asGrabberCB), com::S_OK);
    EXPECT_EQ(static_cast<void*>(asGrabberCB.Get()), static_cast<void*>(callback.Get()));

    auto sample = Sample(10, 3);
    std::uint8_t bytes[7] = {};
    EXPECT_EQ(asGrabberCB->SampleCB(0.0, sample.Get()), com::S_OK);
    EXPECT_EQ(receiver.length, 10);
    EXPECT_EQ(asGrabberCB->BufferCB(0.0, bytes, 7), com::S_OK);
    EXPECT_EQ(receiver.length, 7);
    EXPECT_EQ(receiver.calls, 2);

    asGrabberCB = nullptr;
    // Ours is the only reference left.
    EXPECT_EQ(raw->AddRef(), 2u);
    EXPECT_EQ(raw->Release(), 1u);
}

// One side of the replacement test: its procedure accepts only its own data
// value, so a procedure paired with the other side's data counts as torn.
struct Side {
    int tag;
    std::atomic<int> calls{0};
    std::atomic<int> torn{0};
    std::atomic<bool> retired{false};
    std::atomic<int> callsAfterRetirement{0};

    void Count(int expectedTag, const std::uint8_t* buffer, std::int32_t length) {
        if (tag != expectedTag || !buffer || length != 256 || buffer[0] != 0x5A)
            torn.fetch_add(1);
        if (retired.load())
            callsAfterRetirement.fetch_add(1);
        calls.fetch_add(1);
    }
};

TEST(SampleGrabberCallbackThreaded, PairIsReplacedAsOneUnitWhileSamplesFlow) {
    auto* raw = new TSampleGrabberCB(std::make_unique<TSampleGrabberCBImpl>());
    com::ComPtr<TSampleGrabberCBInt> callback(raw);
    auto sample = Sample(256, 256);

    Side a{1};
    Side b{2};
    const TSampleCallBack pairA{[](void* data, const std::uint8_t* buffer, std::int32_t& length) {
                                    static_cast<Side*>(data)->Count(1, buffer, length);
                                },
                                &a};
    const TSampleCallBack pairB{[](void* data, const std::uint8_t* buffer, std::int32_t& length) {
                                    static_cast<Side*>(data)->Count(2, buffer, length);
                                },
                                &b};

    std::atomic<bool> stop{false};
    std::atomic<long> delivered{0};
    std::thread streaming([&] {
        while (!stop.load()) {
            callback->SampleCB(0.0, sample.Get());
            delivered.fetch_add(1);
        }
    });

    while (delivered.load() < 10)
        std::this_thread::yield();
    for (int round = 0; round < 2000; ++round) {
        raw->Implementation().SetSampleCallBack(round % 2 == 0 ? pairA : pairB);
        std::this_thread::yield();
    }
    // b was registered last: from here on a must not be called.
    a.retired.store(true);
    const long before = delivered.load();
    while (delivered.load() < before + 10)
        std::this_thread::yield();
    stop.store(true);
    streaming.join();

    EXPECT_EQ(a.torn.load(), 0);
    EXPECT_EQ(b.torn.load(), 0);
    EXPECT_EQ(a.callsAfterRetirement.load(), 0);
    EXPECT_GE(b.calls.load(), 10);
}

} // namespace
} // namespace kamsel::capture
