#include "tests/support/PrivateSecretService.h"

#include <fcntl.h>
#include <libsecret/secret.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include "platform/Keyring.h"
#include "platform/SecretServiceKeyring.h"

extern char** environ;

namespace busdesk::test {

namespace {

constexpr const char* kNoBus = "unix:path=/nonexistent/busdesk-tests-have-no-session-bus";

// The test keyring's own password; it guards nothing but a temporary folder.
constexpr const char* kScript =
    "printf %s busdesk-test | gnome-keyring-daemon --unlock --components=secrets >/dev/null || exit 1\n"
    "printf 'BUS %s\\n' \"$DBUS_SESSION_BUS_ADDRESS\"\n"
    // Until the test closes this input; then the session bus ends and the daemon with it.
    "exec cat >/dev/null\n";

std::vector<std::string> childEnvironment(const std::string& dir) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        for (const char* name : {"DBUS_SESSION_BUS_ADDRESS=", "XDG_DATA_HOME=", "XDG_RUNTIME_DIR=", "HOME=",
                                 "XDG_CONFIG_HOME=", "XDG_CACHE_HOME="})
            if (entry.rfind(name, 0) == 0) entry.clear();
        if (!entry.empty()) env.push_back(entry);
    }
    env.push_back("HOME=" + dir + "/home");
    env.push_back("XDG_DATA_HOME=" + dir + "/data");
    env.push_back("XDG_CONFIG_HOME=" + dir + "/config");
    env.push_back("XDG_CACHE_HOME=" + dir + "/cache");
    env.push_back("XDG_RUNTIME_DIR=" + dir + "/run");
    return env;
}

}  // namespace

void useNoSessionBus() {
    ::setenv("DBUS_SESSION_BUS_ADDRESS", kNoBus, 1);
}

PrivateSecretService::PrivateSecretService() {
    char tmpl[] = "/tmp/busdesk-keyring-XXXXXX";
    if (!::mkdtemp(tmpl)) {
        error_ = "no temporary folder";
        return;
    }
    dir_ = tmpl;
    for (const char* sub : {"/home", "/data", "/config", "/cache", "/run"})
        std::filesystem::create_directories(dir_ + sub);
    std::filesystem::permissions(dir_ + "/run", std::filesystem::perms::owner_all);

    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
        error_ = "no pipes";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::string log = dir_ + "/session.log";
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    auto env = childEnvironment(dir_);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string script = kScript;
    const char* argv[] = {"dbus-run-session", "--", "sh", "-c", script.c_str(), nullptr};
    pid_t pid = -1;
    int rc =
        ::posix_spawnp(&pid, "dbus-run-session", &actions, nullptr, const_cast<char**>(argv), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    if (rc != 0) {
        ::close(in[1]);
        ::close(out[0]);
        error_ = std::string("dbus-run-session cannot be started: ") + std::strerror(rc);
        return;
    }
    pid_ = pid;
    input_ = in[1];

    // The first line names the bus once the daemon has taken its name on it.
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos) {
        if (::poll(&p, 1, 20000) <= 0) break;
        char buf[256];
        ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        line.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (line.rfind("BUS ", 0) != 0 || line.find('\n') == std::string::npos) {
        error_ = "the keyring daemon did not start (see " + log + ")";
        stop();
        return;
    }
    std::string address = line.substr(4, line.find('\n') - 4);
    if (const char* previous = std::getenv("DBUS_SESSION_BUS_ADDRESS")) previousAddress_ = previous;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    Keyring::setShared(std::make_shared<SecretServiceKeyring>("busdesk"));
}

void PrivateSecretService::stop() {
    if (input_ >= 0) ::close(std::exchange(input_, -1));
    if (pid_ > 0) {
        int status = 0;
        ::waitpid(std::exchange(pid_, -1), &status, 0);
    }
    // The next keyring connects afresh and finds no bus.
    useNoSessionBus();
    Keyring::setShared(std::make_shared<SecretServiceKeyring>("busdesk"));
}

PrivateSecretService::~PrivateSecretService() {
    stop();
    if (previousAddress_) ::setenv("DBUS_SESSION_BUS_ADDRESS", previousAddress_->c_str(), 1);
    Keyring::setShared(nullptr);
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

std::vector<PrivateSecretService::Item> PrivateSecretService::items(const std::string& application) const {
    std::vector<Item> found;
    GError* error = nullptr;
    SecretService* service =
        secret_service_open_sync(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION, nullptr, &error);
    if (!service) {
        if (error) g_error_free(error);
        return found;
    }
    GHashTable* attributes = g_hash_table_new(g_str_hash, g_str_equal);
    g_hash_table_insert(attributes, const_cast<char*>("application"), const_cast<char*>(application.c_str()));
    GList* items = secret_service_search_sync(
        service, nullptr, attributes,
        static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS),
        nullptr, &error);
    g_hash_table_unref(attributes);
    if (error) g_error_free(error);
    for (GList* l = items; l; l = l->next) {
        auto* secretItem = static_cast<SecretItem*>(l->data);
        Item item;
        gchar* label = secret_item_get_label(secretItem);
        item.label = label ? label : "";
        g_free(label);
        GHashTable* attrs = secret_item_get_attributes(secretItem);
        GHashTableIter it;
        gpointer key = nullptr, value = nullptr;
        g_hash_table_iter_init(&it, attrs);
        while (g_hash_table_iter_next(&it, &key, &value))
            item.attributes[static_cast<const char*>(key)] = static_cast<const char*>(value);
        g_hash_table_unref(attrs);
        if (SecretValue* v = secret_item_get_secret(secretItem)) {
            gsize length = 0;
            const gchar* bytes = secret_value_get(v, &length);
            item.secret.assign(bytes, length);
            secret_value_unref(v);
        }
        found.push_back(std::move(item));
    }
    g_list_free_full(items, g_object_unref);
    g_object_unref(service);
    return found;
}

std::optional<PrivateSecretService::Item> PrivateSecretService::item(const std::string& account,
                                                                     const std::string& application) const {
    for (auto& i : items(application))
        if (i.attributes.count("account") && i.attributes.at("account") == account) return i;
    return std::nullopt;
}

}  // namespace busdesk::test
