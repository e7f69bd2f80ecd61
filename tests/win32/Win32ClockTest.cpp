// The clock in the user's time zone, as Windows keeps it.
#include "adapters/win32/Win32Clock.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace quillora {
namespace {

// The local calendar time of an instant as the time-zone API of Windows gives it.
SYSTEMTIME WindowsLocalTime(std::int64_t unixSeconds) {
    const std::uint64_t ticks = static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
    FILETIME universal{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&universal, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    return local;
}

void ExpectSameCalendarTime(const std::tm& local, const SYSTEMTIME& expected) {
    EXPECT_EQ(local.tm_year + 1900, expected.wYear);
    EXPECT_EQ(local.tm_mon + 1, expected.wMonth);
    EXPECT_EQ(local.tm_mday, expected.wDay);
    EXPECT_EQ(local.tm_wday, expected.wDayOfWeek);
    EXPECT_EQ(local.tm_hour, expected.wHour);
    EXPECT_EQ(local.tm_min, expected.wMinute);
}

TEST(Win32Clock, NowIsTheLocalTimeThatWindowsShows) {
    Win32Clock clock;
    // Asked again when the minute turned over in between.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SYSTEMTIME before{}, after{};
        GetLocalTime(&before);
        std::tm local{};
        ASSERT_TRUE(clock.ToLocal(clock.Now(), local));
        GetLocalTime(&after);
        if (before.wMinute != after.wMinute) continue;
        ExpectSameCalendarTime(local, after);
        return;
    }
    FAIL() << "the minute kept turning over";
}

TEST(Win32Clock, InstantsBeforeAndLongAfter2038ConvertInTheUsersTimeZone) {
    Win32Clock clock;
    for (std::int64_t instant : {std::int64_t{0} + 86400, std::int64_t{1111968000},  // 1970, and a Tuesday in March 2005
                                 std::int64_t{2147483647} + 1, std::int64_t{4102444800} + 43200}) {  // 2038, and noon of 2100-01-01
        SCOPED_TRACE(instant);
        std::tm local{};
        ASSERT_TRUE(clock.ToLocal(static_cast<std::time_t>(instant), local));
        ExpectSameCalendarTime(local, WindowsLocalTime(instant));
    }
}

}  // namespace
}  // namespace quillora
