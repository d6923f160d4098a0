#include <gtest/gtest.h>

#include "platform/Log.h"
#include "platform/RunLoop.h"

// Shared main: the test thread owns the main run loop, and console lines stay quiet unless
// BUSDESK_TEST_LOG is set.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    busdesk::RunLoop::main().adoptCurrentThread();
    if (!std::getenv("BUSDESK_TEST_LOG")) busdesk::Log::setQuiet(true);
    return RUN_ALL_TESTS();
}
