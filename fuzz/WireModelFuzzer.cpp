// Arbitrary bytes through every entry point that reads an answer, for every wire model class.
// The first byte picks the class and the entry point, so the corpus reaches all of them.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>

#include "model/WireModels.h"

namespace {

using namespace busdesk;

using AllModels =
    std::tuple<ArrangeInfo, ArrangeInfoList, DisplanDetailInfo, DisplanDetailInfoArray, DssticketcostSum,
               DssticketcostSumList, EmployeMonthSalary, FinishDisplanInfo, FinishDisplanInfoArray,
               LoginResult, MileDriverInfo, MileDriverList, NormalInfo, NormalList, NosendDisplanInfo,
               NosendDisplanList, ResultInfo, RidingRecordInfo, RidingRecordList, SalaryItem, SubsidyRecharge,
               SubsidyRechargeList, SuggestInfo, SuggestList>;

template <class T>
void exercise(std::string_view text, unsigned mode) {
    Error error;
    if (mode & 1) {
        if (auto m = T::initWithString(text, &error)) {
            // Reading everything back must be as safe as mapping it.
            (void)m->toJSONString();
            (void)m->description();
            auto again = T::initWithString(m->toJSONString());
            if (!again) __builtin_trap();  // an exported model must map again
        }
    } else {
        if (auto rows = T::arrayOfModelsFromData(text, &error)) {
            for (const auto& r : *rows) (void)r->toDictionary();
        }
    }
    (void)T::initWithData(text);
}

template <size_t... I>
void dispatch(size_t index, std::string_view text, unsigned mode, std::index_sequence<I...>) {
    ((I == index ? exercise<std::tuple_element_t<I, AllModels>>(text, mode) : void()), ...);
}

// Lazy lists: read every row, some twice, through the list of an answer mapped as a whole.
void exerciseLazy(std::string_view text) {
    if (auto list = NormalList::initWithString(text)) {
        for (size_t i = 0; i < list->List.count(); ++i) {
            (void)list->List.objectAtIndex(i);
            (void)list->List.objectAtIndex(i);
        }
        (void)list->List.lastObject();
        (void)list->List.description();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    constexpr size_t kModels = std::tuple_size_v<AllModels>;
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    unsigned selector = data[0];
    if (selector == 0xFF) {
        exerciseLazy(text);
        return 0;
    }
    dispatch(selector % kModels, text, (selector / kModels) & 1, std::make_index_sequence<kModels>{});
    // Every model also sees the same bytes as an array answer.
    dispatch((selector + 1) % kModels, text, 0, std::make_index_sequence<kModels>{});
    return 0;
}
