#include "platform/SecretServiceKeyring.h"

#include <libsecret/secret.h>

#include "platform/Log.h"

namespace busdesk {

namespace {

const SecretSchema* schema() {
    // The schema name is stored with each item and matched on lookup, so another program's items
    // with the same attributes are never taken for ours.
    static const SecretSchema s = {"org.busdesk.Password",
                                   SECRET_SCHEMA_NONE,
                                   {
                                       {"application", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
                                   },
                                   0,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr};
    return &s;
}

struct Attributes {
    GHashTable* table;
    Attributes(const std::string& application, const std::string& account)
        : table(g_hash_table_new(g_str_hash, g_str_equal)) {
        // The table borrows the texts: they outlive it.
        g_hash_table_insert(table, const_cast<char*>("application"), const_cast<char*>(application.c_str()));
        g_hash_table_insert(table, const_cast<char*>("account"), const_cast<char*>(account.c_str()));
    }
    ~Attributes() { g_hash_table_unref(table); }
    Attributes(const Attributes&) = delete;
    Attributes& operator=(const Attributes&) = delete;
};

// One log line per failure: what was tried and what the keyring said (never a secret: the
// service's messages carry none).
// The message may have been written by GLib's own D-Bus thread, handed over through
// synchronisation inside GLib; it is copied by GLib before we read it.
void logFailure(const char* what, GError* error) {
    gchar* message = error && error->message ? g_strdup(error->message) : nullptr;
    Log::line(std::string("Keyring: ") + what + " failed: " + (message ? message : "?"));
    g_free(message);
    if (error) g_error_free(error);
}

}  // namespace

struct SecretServiceKeyring::Connection {
    SecretService* service = nullptr;
    ~Connection() {
        if (service) g_object_unref(service);
    }
};

std::shared_ptr<Keyring> makeDesktopKeyring(std::string application) {
    return std::make_shared<SecretServiceKeyring>(std::move(application));
}

SecretServiceKeyring::SecretServiceKeyring(std::string application) : Keyring(std::move(application)) {}

SecretServiceKeyring::~SecretServiceKeyring() = default;

Keyring::Status SecretServiceKeyring::probeNow() {
    if (connection_) return Status::Done;
    GError* error = nullptr;
    // A service of our own rather than libsecret's process-wide one: after a failure it is
    // dropped, and the next call finds the bus and the service as they are then.
    SecretService* service =
        secret_service_open_sync(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION, nullptr, &error);
    if (!service) {
        logFailure("connecting", error);
        return Status::Unavailable;
    }
    connection_ = std::make_unique<Connection>();
    connection_->service = service;
    return Status::Done;
}

Keyring::Status SecretServiceKeyring::storeNow(const std::string& account, const std::string& label,
                                               const SecretBytes& secret) {
    if (probeNow() != Status::Done) return Status::Unavailable;
    Attributes attributes(application(), account);
    SecretValue* value = secret_value_new(reinterpret_cast<const gchar*>(secret.data()),
                                          static_cast<gssize>(secret.size()), "text/plain");
    GError* error = nullptr;
    gboolean stored =
        secret_service_store_sync(connection_->service, schema(), attributes.table, SECRET_COLLECTION_DEFAULT,
                                  label.c_str(), value, nullptr, &error);
    secret_value_unref(value);
    if (!stored) {
        connection_.reset();
        logFailure("storing", error);
        return Status::Unavailable;
    }
    return Status::Done;
}

Keyring::Status SecretServiceKeyring::lookupNow(const std::string& account, SecretBytes& secret) {
    if (probeNow() != Status::Done) return Status::Unavailable;
    Attributes attributes(application(), account);
    GError* error = nullptr;
    SecretValue* value =
        secret_service_lookup_sync(connection_->service, schema(), attributes.table, nullptr, &error);
    if (error) {
        connection_.reset();
        logFailure("reading", error);
        return Status::Unavailable;
    }
    if (!value) return Status::NotFound;
    gsize length = 0;
    const gchar* bytes = secret_value_get(value, &length);
    secret = SecretBytes(reinterpret_cast<const unsigned char*>(bytes), length);
    secret_value_unref(value);
    return Status::Done;
}

Keyring::Status SecretServiceKeyring::removeNow(const std::string& account) {
    if (probeNow() != Status::Done) return Status::Unavailable;
    Attributes attributes(application(), account);
    GError* error = nullptr;
    gboolean removed =
        secret_service_clear_sync(connection_->service, schema(), attributes.table, nullptr, &error);
    if (error) {
        connection_.reset();
        logFailure("removing", error);
        return Status::Unavailable;
    }
    return removed ? Status::Done : Status::NotFound;
}

}  // namespace busdesk
