// Stored answers on a screen's open. Three figures:
// - the attendance list of a 37 KB answer, from the store: the time from the start of the query
//   to rows in the table, against the time from the stored bytes in memory to rows (decode, map,
//   list) — what the store, its queue and the hand-over to the main thread add;
// - what the two hand-overs alone take (an empty job to the store's queue and back to the main
//   loop), the part of the first figure no work on either side can remove;
// - SQLite calls made on the main thread per query (none may be);
// - opening the store and reading one entry with 20 MB of entries in it, against an empty store.
// The office address leads nowhere (a closed port), as in a depot without the network.
#include <algorithm>
#include <boost/json.hpp>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/PublicMethod.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "platform/Crypto.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RunLoop.h"
#include "platform/SQLite.h"
#include "platform/views/Window.h"
#include "screens/operations/KaoQinListViewController.h"
#include "services/AnswerStore.h"

using namespace busdesk;
namespace json = boost::json;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 40;
constexpr const char* kContentType = "application/json; charset=utf-8";

// Attendance rows as the office sends them (a bare array), about `bytes` long.
std::string attendanceAnswer(std::size_t bytes) {
    json::array rows;
    std::string out;
    for (int i = 0; out.size() < bytes; ++i) {
        rows.push_back(json::object{{"Empname", "张建国"},
                                    {"Execdate", "2026-11-" + std::to_string(10 + i % 20)},
                                    {"PlanOnworktime", "05:30"},
                                    {"PlanOffworktime", "13:30"},
                                    {"RealOnworktime", "05:2" + std::to_string(i % 10)},
                                    {"RealOffworktime", "13:3" + std::to_string(i % 10)},
                                    {"Busname", "12004"},
                                    {"Routename", "K51路"}});
        out = json::serialize(rows);
    }
    return out;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double secondsSince(Steady::time_point start) {
    return std::chrono::duration<double>(Steady::now() - start).count();
}

std::shared_ptr<KaoQinListViewController> attendanceScreen() {
    auto list = std::make_shared<KaoQinListViewController>();
    list->bDate = "2026-11-01";
    list->eDate = "2026-11-30";
    return list;
}

// Opens a store at `path`, signs in and reads one key; the seconds until its bytes are back.
double openAndReadOne(const std::string& path, const SecretBytes& key, const QueryKey& wanted) {
    auto start = Steady::now();
    bool found = false;
    {
        AnswerStore store(path);
        store.signIn("E10086", key);
        store.lookUp(wanted,
                     [&found](const RawAnswer& raw, Date) -> std::function<void()> {
                         return [&found, size = raw.body.size()] { found = size > 0; };
                     },
                     {});
        RunLoop::main().runUntil([&] { return found; }, std::chrono::seconds(30));
    }
    double seconds = secondsSince(start);
    if (!found) std::fprintf(stderr, "an entry was not found in %s\n", path.c_str());
    return seconds;
}

}  // namespace

int main() {
    RunLoop::main().adoptCurrentThread();
    Log::setQuiet(true);
    const fs::path dir = fs::temp_directory_path() / ("busdesk-bench-stored-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    Paths::setProfileDir(dir.string());
    // A closed port: every office request fails at once.
    PublicMethod::setOfficeBaseURL("http://127.0.0.1:9/");
    Session::shared().setLoginResult(LoginResult::initWithString(R"({"IsSuccess":"1","EmpID":"E10086"})"));

    const SecretBytes key = crypto::randomKey();
    const std::string body = attendanceAnswer(37 * 1024);
    auto store = AnswerStore::install();
    store->signIn("E10086", key);
    const auto wanted = OfficeQueries::attendance("2026-11-01", "2026-11-30");
    store->queryDidDecode(wanted.key(), RawAnswer{body, kContentType});
    bool idle = false;
    store->whenIdle([&idle] { idle = true; });
    RunLoop::main().runUntil([&] { return idle; }, std::chrono::seconds(30));

    auto window = std::make_shared<Window>();
    window->makeKeyAndVisible();
    std::vector<double> fromStore, fromMemory, startOnMain;
    std::size_t rows = 0;
    const auto callsBefore = sqlite::Database::mainThreadCalls();
    for (int run = 0; run < kRuns + 1; ++run) {
        // Query start → rows in the table, from the store. The screen is made and has run its
        // first query before; its rows are cleared and the query started again.
        auto list = attendanceScreen();
        window->setRootViewController(list);
        RunLoop::main().runUntilIdle(std::chrono::seconds(30));
        list->received.reset();
        list->tbList->reloadData();
        auto start = Steady::now();
        list->request();
        const double starting = secondsSince(start);
        RunLoop::main().runUntil(
            [&] { return list->rowCount() > 0 && !list->tbList->visibleCells().empty(); },
            std::chrono::seconds(30));
        double stored = secondsSince(start);
        rows = list->rowCount();
        RunLoop::main().runUntilIdle(std::chrono::seconds(30));

        // Bytes in memory → rows: the same decoding, mapping and listing, without the store.
        list->received.reset();
        list->tbList->reloadData();
        start = Steady::now();
        auto decoded = wanted.decodeStored(RawAnswer{body, kContentType});
        if (auto* error = std::get_if<Error>(&decoded)) {
            std::fprintf(stderr, "the stored answer does not decode: %s\n", error->description.c_str());
            return 1;
        }
        list->received = std::get<std::shared_ptr<NormalList>>(std::move(decoded));
        list->tbList->reloadData();
        RunLoop::main().runUntil([&] { return !list->tbList->visibleCells().empty(); },
                                 std::chrono::seconds(30));
        double memory = secondsSince(start);
        if (list->tbList->visibleCells().empty()) std::fprintf(stderr, "no rows listed from memory\n");
        if (run == 0) continue;  // warm-up
        fromStore.push_back(stored);
        startOnMain.push_back(starting);
        fromMemory.push_back(memory);
    }
    const auto mainThreadCalls = sqlite::Database::mainThreadCalls() - callsBefore;

    // The hand-overs alone: from the main thread to the store's idle queue and back.
    std::vector<double> handOvers;
    for (int run = 0; run < kRuns + 1; ++run) {
        RunLoop::main().runUntilIdle(std::chrono::seconds(30));
        bool back = false;
        auto start = Steady::now();
        store->whenIdle([&back] { back = true; });
        RunLoop::main().runUntil([&] { return back; }, std::chrono::seconds(30));
        if (run > 0) handOvers.push_back(secondsSince(start));
    }
    AnswerStore::uninstall();

    // 20 MB of other entries against none.
    const std::string empty = (dir / "empty.sqlite").string();
    const std::string full = (dir / "full.sqlite").string();
    {
        AnswerStore filled(full);
        filled.signIn("E10086", key);
        const std::string chunk = attendanceAnswer(48 * 1024);
        for (int i = 0; i < 400; ++i) {
            auto other = OfficeQueries::attendance("2026-01-01", "2026-01-" + std::to_string(i));
            filled.queryDidDecode(other.key(), RawAnswer{chunk, kContentType});
        }
        filled.queryDidDecode(wanted.key(), RawAnswer{body, kContentType});
        bool done = false;
        filled.whenIdle([&done] { done = true; });
        RunLoop::main().runUntil([&] { return done; }, std::chrono::seconds(120));
        AnswerStore none(empty);
        none.signIn("E10086", key);
        none.queryDidDecode(wanted.key(), RawAnswer{body, kContentType});
        done = false;
        none.whenIdle([&done] { done = true; });
        RunLoop::main().runUntil([&] { return done; }, std::chrono::seconds(30));
    }
    std::vector<double> fullTimes, emptyTimes;
    for (int run = 0; run < kRuns + 1; ++run) {
        double f = openAndReadOne(full, key, wanted.key());
        double e = openAndReadOne(empty, key, wanted.key());
        if (run == 0) continue;
        fullTimes.push_back(f);
        emptyTimes.push_back(e);
    }
    std::error_code ec;
    const auto fullBytes = fs::file_size(full, ec);

    std::printf(
        "attendance answer %.1f KB, %zu rows: from the store %.2f ms, from memory %.2f ms (medians of %d)\n",
        static_cast<double>(body.size()) / 1024.0, rows, median(fromStore) * 1e3, median(fromMemory) * 1e3,
        kRuns);
    std::printf(
        "of the time from the store, the main thread starting the query (overlay, request): %.2f ms\n",
        median(startOnMain) * 1e3);
    std::printf(
        "of it, the two hand-overs alone (an empty job to the store's queue and back): %.2f ms; "
        "with them the ratio could not be under %.2f\n",
        median(handOvers) * 1e3, (median(fromMemory) + median(handOvers)) / median(fromMemory));
    std::printf("store of %.1f MB: open and read one %.2f ms; empty store %.2f ms\n",
                static_cast<double>(fullBytes) / 1e6, median(fullTimes) * 1e3, median(emptyTimes) * 1e3);
    std::printf("ratio stored_rows_vs_rows_from_memory %.2f target <= 1.3\n",
                median(fromStore) / median(fromMemory));
    std::printf("ratio main_thread_sqlite_calls_per_query %.2f target <= 0\n",
                static_cast<double>(mainThreadCalls) / (2.0 * (kRuns + 1)));
    std::printf("ratio open_and_read_one_20mb_vs_empty %.2f target <= 1.1\n",
                median(fullTimes) / median(emptyTimes));
    std::fflush(stdout);
    Paths::clearProfileDir();
    fs::remove_all(dir);
    _exit(0);  // the network thread runs for the life of the process
}
