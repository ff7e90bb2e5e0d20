// GoogleTest wants std::mutex and std::condition_variable, which the win32 thread model of
// mingw-w64's g++ 12 does not provide. The tests run on one thread; these stand-ins on slim
// reader/writer locks only let GoogleTest build. Forced into every test source (-include).
#pragma once

// Only the synchronisation headers: windows.h would settle COM's C++ interface layout before
// the fake DirectDraw asks for the C one.
#include <windef.h>
#include <winbase.h>

#include <mutex>

#if !defined(_GLIBCXX_HAS_GTHREADS)
namespace std {

class mutex {
public:
    mutex() = default;
    mutex(const mutex&) = delete;
    mutex& operator=(const mutex&) = delete;
    void lock() { AcquireSRWLockExclusive(&lock_); }
    bool try_lock() { return TryAcquireSRWLockExclusive(&lock_) != 0; }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }
    SRWLOCK* native_handle() { return &lock_; }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

class condition_variable {
public:
    condition_variable() = default;
    condition_variable(const condition_variable&) = delete;
    condition_variable& operator=(const condition_variable&) = delete;
    void notify_one() { WakeConditionVariable(&condition_); }
    void notify_all() { WakeAllConditionVariable(&condition_); }
    void wait(unique_lock<mutex>& lock) { SleepConditionVariableSRW(&condition_, lock.mutex()->native_handle(), INFINITE, 0); }
    template <class Predicate>
    void wait(unique_lock<mutex>& lock, Predicate ready) {
        while (!ready()) wait(lock);
    }

private:
    CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

}  // namespace std
#endif
