// The main function of every test program: GoogleTest, with the check that no test swallowed
// an exception it did not expect.
#include "tests/CaughtExceptions.h"

#include "base/Guard.h"

#include <gtest/gtest.h>

namespace hx::test {

namespace {

unsigned long expected = 0;

class CaughtExceptionCheck final : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        expected = 0;
        before_ = CaughtExceptions();
    }
    // Runs before the result is printed, and a failure added here is the test's.
    void OnTestEnd(const ::testing::TestInfo&) override {
        const unsigned long caught = CaughtExceptions() - before_;
        if (caught != expected) {
            ADD_FAILURE() << caught << " exception(s) caught by Guarded during this test, "
                          << expected << " expected (what and where: standard error, or the "
                          << "debugger's output under Wine)";
        }
    }
    unsigned long before_ = 0;
};

} // namespace

void ExpectCaughtExceptions(unsigned long count) {
    expected = count;
}

} // namespace hx::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new hx::test::CaughtExceptionCheck);
    return RUN_ALL_TESTS();
}
