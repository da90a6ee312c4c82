// Every test program fails a test during which an exception boundary (Guarded) caught an
// exception, unless the test says it causes exactly that many on purpose.
#pragma once

namespace hx::test {

void ExpectCaughtExceptions(unsigned long count);

} // namespace hx::test
