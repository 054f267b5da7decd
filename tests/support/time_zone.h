// Sets the process's time zone (TZ) for a test and restores it afterwards.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) m_old = old;
        Set(tz);
    }
    ~ScopedTimeZone() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    // tz null: TZ unset.
    static void Set(const char* tz) {
#ifdef _WIN32
        _putenv_s("TZ", tz ? tz : "");  // the C runtime removes a variable set to ""
        _tzset();
#else
        if (tz)
            setenv("TZ", tz, 1);
        else
            unsetenv("TZ");
        tzset();
#endif
    }

    std::optional<std::string> m_old;
};
