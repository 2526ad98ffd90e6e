#include "common/Handles.h"

#include <gtest/gtest.h>

namespace {

bool IsOpenHandle(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueHandle, ClosesOnceWhenMovedAndDestroyed) {
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, raw);
    {
        UniqueKernelHandle first(raw);
        UniqueKernelHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(raw, second.get());
        EXPECT_TRUE(IsOpenHandle(raw));
    }
    EXPECT_FALSE(IsOpenHandle(raw));
}

TEST(UniqueHandle, ReleaseGivesUpOwnership) {
    HANDLE raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    { UniqueKernelHandle owner(raw); EXPECT_EQ(raw, owner.release()); }
    EXPECT_TRUE(IsOpenHandle(raw));
    CloseHandle(raw);
}

TEST(UniqueHandle, RegistryKeyReceivedFromThePlatformIsClosed) {
    UniqueRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.receive()));
    EXPECT_TRUE(key);
    key.reset();
    EXPECT_FALSE(key);
}

} // namespace
