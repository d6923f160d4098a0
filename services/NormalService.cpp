#include "services/NormalService.h"

#include "core/OfficeMethods.h"
#include "core/PublicMethod.h"
#include "model/WireModels.h"
#include "platform/Log.h"
#include "services/OfficeCall.h"

namespace busdesk {

namespace {

const char* newsMethod(int tag) {
    switch (tag) {
        case 2:
            return OfficeMethod::Query_ByNewInfoPartNP;
        case 3:
            return OfficeMethod::Query_ByRegulationsInfoPartNP;
        default:
            return nullptr;
    }
}

// Compared in this order, for exact equality.
const char* searchMethod(const std::string& tag) {
    if (tag == "完成车次") return OfficeMethod::Query_FinishDisplan;
    if (tag == "车辆违规") return OfficeMethod::Query_AlertSUM;
    if (tag == "违规详情") return OfficeMethod::Query_AlertDetail;
    if (tag == "车辆保养") return OfficeMethod::Query_TembusdefassInfo;
    if (tag == "维修查询") return OfficeMethod::Query_WorkorderInfo;
    if (tag == "考勤") return OfficeMethod::Query_FdisempdutyInfo;
    return nullptr;
}

const char* searchNumMethod(int tag) {
    static const char* const methods[] = {
        OfficeMethod::Query_StockbillSUM,
        OfficeMethod::Query_StockbillInfo,
        OfficeMethod::Query_DssfuelcostSUM,
        OfficeMethod::Query_DssfuelcostInfo,
        OfficeMethod::Query_DssticketreceiptInfoOneday,
        OfficeMethod::Query_DssticketreceiptSUM,
        OfficeMethod::Query_DssticketreceiptInfo,
        OfficeMethod::Query_BusdaymileInfoOnedayByDriver,
        OfficeMethod::Query_BusdaymileSUMByDriver,
        OfficeMethod::Query_BusdaymileInfoByDriver,
    };
    if (tag < 0 || tag >= static_cast<int>(std::size(methods))) return nullptr;
    return methods[tag];
}

void unknownTag(const std::string& tag, const NormalService::Fail& fail) {
    OfficeCall::logFailure(OfficeCall::makeError(OfficeServiceErrorCode::UnknownTag,
                                                 "No office method for the tag " + tag + "."),
                           nullptr, false);
    OfficeCall::failLater(fail);
}

template <class List>
std::function<void(std::shared_ptr<List>)> asModel(std::function<void(std::shared_ptr<WireModel>)> success) {
    return [success = std::move(success)](std::shared_ptr<List> list) {
        if (success) success(std::move(list));
    };
}

void failWrongKind(const char* expected, const NormalService::Fail& fail) {
    OfficeCall::logFailure(OfficeCall::makeError(OfficeServiceErrorCode::UnexpectedAnswerKind,
                                                 std::string("The answer is not ") + expected + "."),
                           nullptr, false);
    OfficeCall::callFail(fail);
}

// A record built from the answer text, its trip list then filled from `listKey`.
template <class Record, class Elem>
void deliverTotals(const std::shared_ptr<HTTPRequestOperation>& operation, const boost::json::value& json,
                   const char* listKey, WireModelArray<Elem> Record::*field,
                   const std::function<void(std::shared_ptr<WireModel>)>& success,
                   const NormalService::Fail& fail) {
    Error error;
    auto record = Record::initWithString(OfficeCall::answerText(operation).value_or(""), &error);
    if (!record) {
        OfficeCall::logFailure(error, operation, false);
        OfficeCall::callFail(fail);
        return;
    }
    (*record).*field = OfficeCall::mapRows<Elem>(*json.get_object().if_contains(listKey));
    if (success) success(record);
}

}  // namespace

void NormalService::getNewsServiceInfoWithPara(boost::json::object params, int tag,
                                               std::function<void(std::shared_ptr<NormalList>)> success,
                                               Fail fail) {
    const char* method = newsMethod(tag);
    if (!method) return unknownTag(std::to_string(tag), fail);
    // The bulletin pages are long HTML; they are not echoed to the console.
    OfficeCall::fetchList(PublicMethod::addUrlPreWithName(method), std::move(params), false,
                          &NormalList::List, std::move(success), std::move(fail));
}

void NormalService::getPlansServiceInfoWithPara(boost::json::object params, int tag,
                                                std::function<void(std::shared_ptr<WireModel>)> success,
                                                Fail fail) {
    const bool dayPlan = tag == 0;
    const char* method = dayPlan ? OfficeMethod::Query_DisplanInfo : OfficeMethod::Query_NosendDisplanInfo;
    auto mgr = OfficeCall::manager();
    mgr->GET(
        PublicMethod::addUrlPreWithName(method), boost::json::value(std::move(params)),
        [mgr, dayPlan, success, fail](const std::shared_ptr<HTTPRequestOperation>& operation,
                                      const ResponseObject& answer) {
            OfficeCall::logJSONLine(answer.json);
            if (answer.json && answer.json->is_array()) {
                // The server's way of saying "no plan": the screen shows its no-data text.
                if (success) success(nullptr);
                return;
            }
            if (dayPlan) {
                if (!OfficeCall::isArrayMember(answer.json, "DisplanDetailList"))
                    return failWrongKind("an object with a DisplanDetailList array", fail);
                return deliverTotals(operation, *answer.json, "DisplanDetailList",
                                     &DisplanDetailInfoArray::DisplanDetailInfos, success, fail);
            }
            // The trips not yet dispatched arrive as {"List": [...]}.
            if (!OfficeCall::isArrayMember(answer.json, "List"))
                return failWrongKind("an object with a List array", fail);
            auto list = NosendDisplanList::init();
            list->List =
                OfficeCall::mapRows<NosendDisplanInfo>(*answer.json->get_object().if_contains("List"));
            if (success) success(list);
        },
        OfficeCall::failureBlock(mgr, fail, false));
}

void NormalService::getADImageWithPara(std::optional<boost::json::object> params,
                                       std::function<void(std::string)> success, Fail fail) {
    std::optional<boost::json::value> query;
    if (params) query = boost::json::value(std::move(*params));
    OfficeCall::fetchText(
        PublicMethod::addUrlPreWithNameNoPara(OfficeMethod::Query_CompanyLogo), std::move(query),
        "logo answer", false,
        [success](std::string text) {
            Log::line("1str==" + text);
            std::string cleaned = cleanLogoText(text);
            Log::line("2str==" + cleaned);
            if (success) success(std::move(cleaned));
        },
        std::move(fail));
}

void NormalService::getArrangeWithPara(boost::json::object params,
                                       std::function<void(std::shared_ptr<ArrangeInfoList>)> success,
                                       Fail fail) {
    OfficeCall::fetchList(PublicMethod::addUrlPreWithName(OfficeMethod::Query_Arrange), std::move(params),
                          true, &ArrangeInfoList::ArrangeList, std::move(success), std::move(fail));
}

void NormalService::getSearchWithPara(boost::json::object params, const std::string& tag,
                                      std::function<void(std::shared_ptr<WireModel>)> success, Fail fail) {
    const char* method = searchMethod(tag);
    if (!method) return unknownTag("\"" + tag + "\"", fail);
    const std::string url = PublicMethod::addUrlPreWithName(method);
    if (tag != "完成车次") {
        OfficeCall::fetchList(url, std::move(params), true, &NormalList::List, asModel<NormalList>(success),
                              std::move(fail));
        return;
    }
    auto mgr = OfficeCall::manager();
    mgr->GET(
        url, boost::json::value(std::move(params)),
        [mgr, success, fail](const std::shared_ptr<HTTPRequestOperation>& operation,
                             const ResponseObject& answer) {
            OfficeCall::logJSONLine(answer.json);
            if (!OfficeCall::isArrayMember(answer.json, "FinishDisplanList"))
                return failWrongKind("an object with a FinishDisplanList array", fail);
            deliverTotals(operation, *answer.json, "FinishDisplanList",
                          &FinishDisplanInfoArray::FinishDisplanList, success, fail);
        },
        OfficeCall::failureBlock(mgr, fail, false));
}

void NormalService::getSearchNumWithPara(boost::json::object params, int tag,
                                         std::function<void(std::shared_ptr<WireModel>)> success, Fail fail) {
    const char* method = searchNumMethod(tag);
    if (!method) return unknownTag(std::to_string(tag), fail);
    const std::string url = PublicMethod::addUrlPreWithName(method);
    if (tag <= 3) {
        OfficeCall::fetchList(url, std::move(params), true, &NormalList::List, asModel<NormalList>(success),
                              std::move(fail));
    } else if (tag <= 6) {
        OfficeCall::fetchList(url, std::move(params), true, &DssticketcostSumList::DssfuelcostList,
                              asModel<DssticketcostSumList>(success), std::move(fail));
    } else {
        OfficeCall::fetchList(url, std::move(params), true, &MileDriverList::List,
                              asModel<MileDriverList>(success), std::move(fail));
    }
}

std::string NormalService::cleanLogoText(const std::string& text) {
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

}  // namespace busdesk
