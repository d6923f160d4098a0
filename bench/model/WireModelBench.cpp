// Mapping an answer of 10 000 NormalInfo rows (about 4 MB): our full mapping against Boost.JSON's
// parse alone, against the same fields mapped by hand over nlohmann::json, against simdjson's DOM
// parse, and the on-demand list's count and first reads. Medians of repeated runs.
#include <simdjson.h>

#include <algorithm>
#include <boost/json/monotonic_resource.hpp>
#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "model/NormalList.h"

namespace {

using namespace busdesk;
namespace json = boost::json;
using Clock = std::chrono::steady_clock;

volatile size_t gSink = 0;

double medianSeconds(int runs, const std::function<void()>& fn) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        auto a = Clock::now();
        fn();
        t.push_back(std::chrono::duration<double>(Clock::now() - a).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// Rows of every query family, numbers sometimes as JSON numbers and sometimes as texts, as the
// office server sends them.
std::string makeAnswer(size_t rows) {
    json::array a;
    for (size_t i = 0; i < rows; ++i) {
        json::object r;
        std::string n = std::to_string(i);
        r["ID"] = n;
        r["Title"] = "关于" + n + "号线路调整的通知";
        r["PublishBy"] = "调度中心";
        r["RealeaseDateTime"] = "2024-04-28 09:15:00";
        r["Busname"] = "粤B" + std::to_string(10000 + i % 900);
        r["AlertType"] = i % 2 ? "超速" : "急刹车";
        r["Num"] = static_cast<int64_t>(i % 17);
        r["Rundate"] = "2024-05-06";
        r["AlertValue"] = std::to_string(50 + i % 20);
        r["AlertTime"] = "2024-05-06 07:02:11";
        r["Memo"] = "深南大道";
        r["DefMiles"] = 15000.5 + static_cast<double>(i);
        r["DefplanMiles"] = "15000";
        r["Empname"] = "张伟";
        r["RealOnworktime"] = "05:52";
        r["Totalsum"] = i % 3 ? json::value("1288.50") : json::value(96.25);
        r["Count"] = static_cast<int64_t>(2);
        r["Price"] = "120.00";
        r["Fuelnum"] = 186.4;
        r["Routename"] = "12路";
        a.push_back(std::move(r));
    }
    return json::serialize(a);
}

// What a typical client writes by hand over nlohmann::json: the same members, the same readings.
struct HandRow {
    std::optional<std::string> ID, Title, ContentAbstract, PublishBy, RealeaseDate, RealeaseDateTime, Busname,
        AlertType, Rundate, AlertValue, StandValue, AlertTime, Memo, DefLevel, DefCompany, Empname, Execdate,
        PlanOnworktime, RealOnworktime, Materialname, Fuelname, Routename, ContentHtml, Publishby,
        Defplandate, recordStatus, RouteID, Status, Createtype, Orgname, Reportdate, Comeindate, Finishdate,
        Factcost, Checkview, Notes, level, caretype, mendtype, PlanOffworktime, RealOffworktime, Orderno,
        Billdate, Warehousename, Suppliername, Jobtype, Runningdate;
    int Num = 0;
    double DefMiles = 0, DefplanMiles = 0, DefPreMiles = 0, Totalsum = 0, Count = 0, Price = 0, Fuelnum = 0;
};

void text(const nlohmann::json& row, const char* key, std::optional<std::string>& out) {
    auto it = row.find(key);
    if (it == row.end() || it->is_null()) return;
    if (it->is_string())
        out = it->get<std::string>();
    else if (it->is_number_integer())
        out = std::to_string(it->get<long long>());
    else if (it->is_number())
        out = std::to_string(it->get<double>());
}
template <class N>
void number(const nlohmann::json& row, const char* key, N& out) {
    auto it = row.find(key);
    if (it == row.end() || it->is_null()) return;
    if (it->is_number())
        out = it->get<N>();
    else if (it->is_string())
        out = static_cast<N>(std::strtod(it->get_ref<const std::string&>().c_str(), nullptr));
}

std::vector<HandRow> mapByHand(const std::string& text_) {
    auto doc = nlohmann::json::parse(text_);
    std::vector<HandRow> rows;
    rows.reserve(doc.size());
    for (const auto& r : doc) {
        HandRow h;
#define T(k) text(r, #k, h.k)
        T(ID);
        T(Title);
        T(ContentAbstract);
        T(PublishBy);
        T(RealeaseDate);
        T(RealeaseDateTime);
        T(Busname);
        T(AlertType);
        T(Rundate);
        T(AlertValue);
        T(StandValue);
        T(AlertTime);
        T(Memo);
        T(DefLevel);
        T(DefCompany);
        T(Empname);
        T(Execdate);
        T(PlanOnworktime);
        T(RealOnworktime);
        T(Materialname);
        T(Fuelname);
        T(Routename);
        T(ContentHtml);
        T(Publishby);
        T(Defplandate);
        T(recordStatus);
        T(RouteID);
        T(Status);
        T(Createtype);
        T(Orgname);
        T(Reportdate);
        T(Comeindate);
        T(Finishdate);
        T(Factcost);
        T(Checkview);
        T(Notes);
        T(level);
        T(caretype);
        T(mendtype);
        T(PlanOffworktime);
        T(RealOffworktime);
        T(Orderno);
        T(Billdate);
        T(Warehousename);
        T(Suppliername);
        T(Jobtype);
        T(Runningdate);
#undef T
        number(r, "Num", h.Num);
        number(r, "DefMiles", h.DefMiles);
        number(r, "DefplanMiles", h.DefplanMiles);
        number(r, "DefPreMiles", h.DefPreMiles);
        number(r, "Totalsum", h.Totalsum);
        number(r, "Count", h.Count);
        number(r, "Price", h.Price);
        number(r, "Fuelnum", h.Fuelnum);
        rows.push_back(std::move(h));
    }
    return rows;
}

void ratio(const char* name, double value, const char* op, double target) {
    std::printf("ratio %s %.3f target %s %g\n", name, value, op, target);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t rows = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    const std::string answer = makeAnswer(rows);
    const std::string wrapped = "{\"List\":" + answer + "}";
    std::printf("answer: %zu rows, %.2f MB, median of %d runs\n", rows, answer.size() / 1e6, runs);

    // Sanity: every path reads the same rows.
    auto check = NormalInfo::arrayOfModelsFromData(answer);
    if (!check || check->size() != rows || mapByHand(answer).size() != rows) {
        std::fprintf(stderr, "mapping failed\n");
        return 1;
    }

    double parse = medianSeconds(runs, [&] {
        json::value v = json::parse(answer, json::make_shared_resource<json::monotonic_resource>());
        gSink += v.as_array().size();
    });
    double full = medianSeconds(runs, [&] {
        auto list = NormalInfo::arrayOfModelsFromData(answer);
        NormalList answerList;
        answerList.List = WireModelArray<NormalInfo>(std::move(*list));
        gSink += answerList.List.count();
    });
    double hand = medianSeconds(runs, [&] { gSink += mapByHand(answer).size(); });
    simdjson::dom::parser parser;
    simdjson::padded_string padded(answer);
    double simd = medianSeconds(runs, [&] {
        auto doc = parser.parse(padded);
        gSink += doc.get_array().size();
    });
    double parseWrapped = medianSeconds(runs, [&] {
        json::value v = json::parse(wrapped, json::make_shared_resource<json::monotonic_resource>());
        gSink += v.as_object().size();
    });
    double lazyCount = medianSeconds(runs, [&] {
        auto list = NormalList::initWithString(wrapped);
        gSink += list->List.count();
    });
    // Every row read once for the first time, on a list made just before (untimed), as a screen
    // reads rows of the answer it has just received.
    std::vector<double> reads;
    for (int r = 0; r < runs; ++r) {
        auto fresh = NormalList::initWithString(wrapped);
        auto a = Clock::now();
        for (size_t i = 0; i < fresh->List.count(); ++i) gSink += fresh->List.objectAtIndex(i) ? 1 : 0;
        reads.push_back(std::chrono::duration<double>(Clock::now() - a).count());
    }
    std::sort(reads.begin(), reads.end());
    double allFirstReads = reads[reads.size() / 2];
    double firstRead = allFirstReads / static_cast<double>(rows);

    std::printf("boost.json parse        %8.2f ms\n", parse * 1e3);
    std::printf("full mapping            %8.2f ms\n", full * 1e3);
    std::printf("nlohmann + hand mapping %8.2f ms\n", hand * 1e3);
    std::printf("simdjson dom parse      %8.2f ms\n", simd * 1e3);
    std::printf("lazy list count         %8.2f ms (parse of the same text %.2f ms)\n", lazyCount * 1e3,
                parseWrapped * 1e3);
    std::printf("first read of one row   %8.3f us (full mapping / rows %.3f us)\n", firstRead * 1e6,
                full / static_cast<double>(rows) * 1e6);
    ratio("full_mapping_vs_boost_parse", full / parse, "<=", 2.5);
    ratio("hand_nlohmann_vs_full_mapping", hand / full, ">=", 2.0);
    ratio("full_mapping_vs_simdjson_dom", full / simd, "info", 0);
    ratio("lazy_count_vs_parse", lazyCount / parseWrapped, "<=", 1.1);
    ratio("first_read_row_vs_full_per_row", firstRead / (full / static_cast<double>(rows)), "<=", 1.5);
    return 0;
}
