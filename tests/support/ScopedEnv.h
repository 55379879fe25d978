#pragma once
// An environment variable set for the life of an object and restored
// afterwards, for tests that point the program's folders elsewhere.

#include <string>

namespace CorvaneTest {

/// Sets the environment variable `name` to `value` (unsets it for null) and,
/// when destroyed, gives it back its previous value (or unsets it again when
/// it had none). Child processes started meanwhile inherit the new value.
/// Not thread-safe (setenv); construct and destroy on the test's thread.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    bool m_hadPrevious{false};
    std::string m_previous;
};

} // namespace CorvaneTest
