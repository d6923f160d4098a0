#include "services/NormalService.h"

#include "core/OfficeMethods.h"
#include "model/WireModels.h"
#include "services/AnswerDecoders.h"
#include "services/OfficeCall.h"

namespace busdesk {

// Every face here takes the caller's parameters as they are and sends them through the typed
// path (runQuery), so a call made this way behaves exactly as the typed query of the same method.

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
    static const std::pair<const char*, const char*> methods[] = {
        {"完成车次", OfficeMethod::Query_FinishDisplan}, {"车辆违规", OfficeMethod::Query_AlertSUM},
        {"违规详情", OfficeMethod::Query_AlertDetail},   {"车辆保养", OfficeMethod::Query_TembusdefassInfo},
        {"维修查询", OfficeMethod::Query_WorkorderInfo}, {"考勤", OfficeMethod::Query_FdisempdutyInfo},
    };
    for (const auto& [name, method] : methods)
        if (tag == name) return method;
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

// Runs `query` for a caller that takes any model.
template <class Model>
void runAsModel(const OfficeQuery<std::shared_ptr<Model>>& query,
                std::function<void(std::shared_ptr<WireModel>)> success, NormalService::Fail fail) {
    runQuery<std::shared_ptr<Model>>(
        query,
        [success = std::move(success)](std::shared_ptr<Model> model) {
            if (success) success(std::move(model));
        },
        std::move(fail));
}

QueryRequest request(const char* method, boost::json::object params) {
    return QueryRequest::forSession(method, std::move(params));
}

}  // namespace

void NormalService::getNewsServiceInfoWithPara(boost::json::object params, int tag,
                                               std::function<void(std::shared_ptr<NormalList>)> success,
                                               Fail fail) {
    const char* method = newsMethod(tag);
    if (!method) return unknownTag(std::to_string(tag), fail);
    auto query = listQuery<&NormalList::List>(request(method, std::move(params)));
    query.logsAnswer = false;
    runQuery(query, std::move(success), std::move(fail));
}

void NormalService::getPlansServiceInfoWithPara(boost::json::object params, int tag,
                                                std::function<void(std::shared_ptr<WireModel>)> success,
                                                Fail fail) {
    if (tag == 0)
        return runAsModel(
            makeQuery<std::shared_ptr<DisplanDetailInfoArray>>(
                request(OfficeMethod::Query_DisplanInfo, std::move(params)), &AnswerDecoders::dayPlan),
            std::move(success), std::move(fail));
    runAsModel(makeQuery<std::shared_ptr<NosendDisplanList>>(
                   request(OfficeMethod::Query_NosendDisplanInfo, std::move(params)),
                   &AnswerDecoders::undispatchedTrips),
               std::move(success), std::move(fail));
}

void NormalService::getADImageWithPara(std::optional<boost::json::object> params,
                                       std::function<void(std::string)> success, Fail fail) {
    auto query =
        makeQuery<std::string>(QueryRequest::forSession(OfficeMethod::Query_CompanyLogo, std::move(params)),
                               &AnswerDecoders::logoAddress);
    query.answerKind = AnswerKind::Text;
    query.closingSlash = false;
    runQuery(query, std::move(success), std::move(fail));
}

void NormalService::getArrangeWithPara(boost::json::object params,
                                       std::function<void(std::shared_ptr<ArrangeInfoList>)> success,
                                       Fail fail) {
    runQuery(
        listQuery<&ArrangeInfoList::ArrangeList>(request(OfficeMethod::Query_Arrange, std::move(params))),
        std::move(success), std::move(fail));
}

void NormalService::getSearchWithPara(boost::json::object params, const std::string& tag,
                                      std::function<void(std::shared_ptr<WireModel>)> success, Fail fail) {
    const char* method = searchMethod(tag);
    if (!method) return unknownTag("\"" + tag + "\"", fail);
    if (tag == "完成车次")
        return runAsModel(makeQuery<std::shared_ptr<FinishDisplanInfoArray>>(
                              request(method, std::move(params)), &AnswerDecoders::completedTrips),
                          std::move(success), std::move(fail));
    runAsModel(listQuery<&NormalList::List>(request(method, std::move(params))), std::move(success),
               std::move(fail));
}

void NormalService::getSearchNumWithPara(boost::json::object params, int tag,
                                         std::function<void(std::shared_ptr<WireModel>)> success, Fail fail) {
    const char* method = searchNumMethod(tag);
    if (!method) return unknownTag(std::to_string(tag), fail);
    auto sent = request(method, std::move(params));
    if (tag <= 3)
        runAsModel(listQuery<&NormalList::List>(std::move(sent)), std::move(success), std::move(fail));
    else if (tag <= 6)
        runAsModel(listQuery<&DssticketcostSumList::DssfuelcostList>(std::move(sent)), std::move(success),
                   std::move(fail));
    else
        runAsModel(listQuery<&MileDriverList::List>(std::move(sent)), std::move(success), std::move(fail));
}

}  // namespace busdesk
