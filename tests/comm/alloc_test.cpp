// Counts heap allocations made by this thread, to prove that a transaction makes none.
#include "comm/instrument_link.h"
#include "sim/simulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
thread_local bool counting = false;
std::atomic<int> allocations{0};

void* Allocate(std::size_t size)
{
    if (counting)
        allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

TEST(Allocations, TransactionsAllocateNothing)
{
    sim::Simulator instrument;
    ASSERT_TRUE(instrument.Start());
    InstrumentLink link;
    link.Master().SetReadTimeout(50);
    ASSERT_EQ(link.OpenDevice(instrument.DevicePath()), 1);
    int idle = 0;
    link.Master().SetIdleHook([](void* c) { ++*static_cast<int*>(c); }, &idle);
    link.Master().SetFrameObserver([](void*, const FrameEvent&) {}, nullptr);

    std::uint8_t block[36];
    counting = true;
    allocations = 0;
    const int found = link.Discover();
    const int read = link.ReadBlock(0xA500, 36, block);
    const int wrote = link.WriteRegister(0x3011, 7);
    const std::uint16_t card = link.ReadCardCode();
    const int model = link.IdentifyModel();
    // A failing transaction (three attempts, time-outs, idle calls) allocates nothing either.
    const int missing = link.ReadBlock(0x7777, 2, block);
    counting = false;

    EXPECT_EQ(found, 1);
    EXPECT_EQ(read, 1);
    EXPECT_EQ(wrote, 1);
    EXPECT_EQ(card, 5);
    EXPECT_EQ(model, 0);
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(allocations.load(), 0);

    // The counter itself works. Called as functions: a new-expression whose result is unused may be
    // optimised away (clang does), these calls may not.
    counting = true;
    void* probe = ::operator new(sizeof(int));
    counting = false;
    ::operator delete(probe);
    EXPECT_EQ(allocations.load(), 1);
}

} // namespace
