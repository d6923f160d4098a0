#include <gtest/gtest.h>

#include "platform/Crypto.h"
#include "platform/Log.h"
#include "platform/RunLoop.h"
#include "tests/support/PrivateSecretService.h"

// Shared main: the test thread owns the main run loop, console lines stay quiet unless
// BUSDESK_TEST_LOG is set, and password hashing takes the least Argon2id allows (the one place
// tests choose it: they make many verifiers, the app's interactive cost would cost seconds).
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    busdesk::RunLoop::main().adoptCurrentThread();
    busdesk::crypto::setPasswordHashCost(busdesk::crypto::PasswordHashCost::cheapest());
    // No test reaches the session bus it was started on (a developer's own keyring): a test that
    // wants a keyring starts its own (PrivateSecretService).
    busdesk::test::useNoSessionBus();
    if (!std::getenv("BUSDESK_TEST_LOG")) busdesk::Log::setQuiet(true);
    return RUN_ALL_TESTS();
}
