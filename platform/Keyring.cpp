#include "platform/Keyring.h"

#include <mutex>

#include "platform/DispatchQueue.h"

namespace busdesk {

namespace {

// One thread for every keyring of the process: calls are answered in the order they were made
// (a removal never overtakes the store before it). Leaked on purpose, like the processing queue.
DispatchQueue& keyringQueue() {
    static DispatchQueue* queue = new DispatchQueue("busdesk.keyring", 1);
    return *queue;
}

std::mutex gSharedMutex;
std::shared_ptr<Keyring> gShared;

}  // namespace

std::shared_ptr<Keyring> Keyring::shared() {
    std::lock_guard lock(gSharedMutex);
    if (!gShared) gShared = makeDesktopKeyring("busdesk");
    return gShared;
}

void Keyring::setShared(std::shared_ptr<Keyring> keyring) {
    std::lock_guard lock(gSharedMutex);
    gShared = std::move(keyring);
}

void Keyring::probe(std::function<void(Status)> done) {
    asyncThenMain<Status>(
        keyringQueue(), [self = shared_from_this()] { return self->probeNow(); }, std::move(done));
}

void Keyring::store(std::string account, std::string label, SecretBytes secret,
                    std::function<void(Status)> done) {
    asyncThenMain<Status>(
        keyringQueue(),
        [self = shared_from_this(), account = std::move(account), label = std::move(label),
         secret = std::move(secret)] { return self->storeNow(account, label, secret); },
        std::move(done));
}

void Keyring::lookup(std::string account, std::function<void(Status, SecretBytes)> done) {
    struct Found {
        Status status = Status::Unavailable;
        SecretBytes secret;
    };
    asyncThenMain<Found>(
        keyringQueue(),
        [self = shared_from_this(), account = std::move(account)] {
            Found found;
            found.status = self->lookupNow(account, found.secret);
            if (found.status != Status::Done) found.secret.clear();
            return found;
        },
        [done = std::move(done)](Found found) {
            if (done) done(found.status, std::move(found.secret));
        });
}

void Keyring::remove(std::string account, std::function<void(Status)> done) {
    asyncThenMain<Status>(
        keyringQueue(),
        [self = shared_from_this(), account = std::move(account)] { return self->removeNow(account); },
        std::move(done));
}

}  // namespace busdesk
