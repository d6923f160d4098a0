#include "services/AnswerDecoders.h"

#include "model/WireModels.h"
#include "platform/Log.h"

namespace busdesk::AnswerDecoders {

namespace {

Error wrongKind(const char* expected) {
    return OfficeCall::makeError(OfficeServiceErrorCode::UnexpectedAnswerKind,
                                 std::string("The answer is not ") + expected + ".");
}

// A record built from the answer text (its totals), its rows then mapped from `listKey`.
template <class Record, class Row>
Decoded<std::shared_ptr<Record>> totalsWithRows(const Answer& answer, const char* listKey,
                                                WireModelArray<Row> Record::*field) {
    Error error;
    auto record = Record::initWithString(answer.text().value_or(""), &error);
    if (!record) return error;
    (*record).*field = OfficeCall::mapRows<Row>(*answer.object->json->get_object().if_contains(listKey));
    return record;
}

bool isArray(const Answer& answer) {
    return answer.object->json && answer.object->json->is_array();
}

}  // namespace

Decoded<std::shared_ptr<DisplanDetailInfoArray>> dayPlan(const Answer& answer) {
    // The server's way of saying "no plan": the screen shows its no-data text.
    if (isArray(answer)) return std::shared_ptr<DisplanDetailInfoArray>();
    if (!OfficeCall::isArrayMember(answer.object->json, "DisplanDetailList"))
        return wrongKind("an object with a DisplanDetailList array");
    return totalsWithRows(answer, "DisplanDetailList", &DisplanDetailInfoArray::DisplanDetailInfos);
}

Decoded<std::shared_ptr<NosendDisplanList>> undispatchedTrips(const Answer& answer) {
    if (isArray(answer)) return std::shared_ptr<NosendDisplanList>();
    // The trips not yet dispatched arrive as {"List": [...]}.
    if (!OfficeCall::isArrayMember(answer.object->json, "List"))
        return wrongKind("an object with a List array");
    auto list = NosendDisplanList::init();
    list->List =
        OfficeCall::mapRows<NosendDisplanInfo>(*answer.object->json->get_object().if_contains("List"));
    return list;
}

Decoded<std::shared_ptr<FinishDisplanInfoArray>> completedTrips(const Answer& answer) {
    if (!OfficeCall::isArrayMember(answer.object->json, "FinishDisplanList"))
        return wrongKind("an object with a FinishDisplanList array");
    return totalsWithRows(answer, "FinishDisplanList", &FinishDisplanInfoArray::FinishDisplanList);
}

Decoded<std::shared_ptr<EmployeMonthSalary>> salaryStatement(const Answer& answer) {
    const auto& json = answer.object->json;
    const auto* lines = json ? json->if_array() : nullptr;
    // A statement with a line that cannot be read is no statement: the screen shows its no-data
    // text, as for a month not yet paid.
    auto items = lines && !lines->empty() ? SalaryItem::arrayOfModelsFromDictionaries(*json) : std::nullopt;
    if (!items || items->empty()) return std::shared_ptr<EmployeMonthSalary>();
    auto record = EmployeMonthSalary::init();
    record->salaryItems = WireModelArray<SalaryItem>(std::move(*items));
    return record;
}

Decoded<std::string> logoAddress(const Answer& answer) {
    auto text = answer.text();
    if (!text)
        return OfficeCall::makeError(OfficeServiceErrorCode::UndecodableText,
                                     "The logo answer is not valid text.");
    Log::line("1str==" + *text);
    std::string cleaned = cleanLogoText(*text);
    Log::line("2str==" + cleaned);
    return cleaned;
}

std::string cleanLogoText(const std::string& text) {
    // The 20 ASCII characters; the four full-width ones are matched as their UTF-8 byte triples
    // (U+FF08 （, U+FF09 ）, U+FF1C ＜, U+FF1E ＞). ASCII bytes never occur inside a multi-byte
    // sequence, so removing them cannot split a character.
    static const std::string ascii = "[]{}#%-*+=_\\|~()$^& ";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (ascii.find(static_cast<char>(c)) == std::string::npos) out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBC) {
            const auto last = static_cast<unsigned char>(text[i + 2]);
            if (last == 0x88 || last == 0x89 || last == 0x9C || last == 0x9E) {
                i += 3;
                continue;
            }
        }
        out += static_cast<char>(c);
        ++i;
    }
    return out;
}

}  // namespace busdesk::AnswerDecoders
