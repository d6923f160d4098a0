#include "services/OfficeQueries.h"

#include "core/OfficeMethods.h"
#include "core/OfficeParameters.h"
#include "core/Session.h"
#include "model/LoginResult.h"
#include "model/WireModels.h"
#include "services/AnswerDecoders.h"

namespace busdesk::OfficeQueries {

namespace {

using boost::json::object;
namespace Param = OfficeParameter;

// The parameters asked for one person: "EmpID" = `id`, left out when there is none.
object asking(const std::optional<std::string>& id) {
    object params;
    if (id) params[Param::EmpID] = *id;
    return params;
}

// The signed-in employee, as almost every query is asked.
object askingEmployee() {
    auto session = Session::shared().loginResult();
    return asking(session ? session->EmpID : std::nullopt);
}

object withPeriod(object params, const std::string& start, const std::string& end) {
    params[Param::StartTime] = start;
    params[Param::EndTime] = end;
    return params;
}

// A vehicle over a period; start and end are the same day or month where the user picks one.
object vehiclePeriod(const std::string& vehicle, const std::string& start, const std::string& end) {
    auto params = askingEmployee();
    params[Param::Buselfid] = vehicle;
    return withPeriod(std::move(params), start, end);
}

object scoped(object params, Scope scope, const std::string& start) {
    params[Param::all] = scope == Scope::Everybody ? "1" : "0";
    params[Param::StartTime] = start;
    return params;
}

object ofDriver(const std::optional<std::string>& driverID, const std::string& month) {
    // A summary row without a driver asks with none rather than with the signed-in employee.
    auto params = asking(driverID);
    params[Param::StartTime] = month;
    return params;
}

template <auto Rows>
auto rowsOf(const char* method, object params) {
    return listQuery<Rows>(QueryRequest::forSession(method, std::move(params)));
}

template <class Model>
QueryFor<Model> query(const char* method, object params,
                      Decoded<std::shared_ptr<Model>> (*decode)(const Answer&)) {
    return makeQuery<std::shared_ptr<Model>>(QueryRequest::forSession(method, std::move(params)), decode);
}

}  // namespace

QueryFor<NormalList> bulletins(Bulletins kind, int page) {
    auto params = askingEmployee();
    params[Param::Index] = std::to_string(page);
    auto query =
        rowsOf<&NormalList::List>(kind == Bulletins::Regulations ? OfficeMethod::Query_ByRegulationsInfoPartNP
                                                                 : OfficeMethod::Query_ByNewInfoPartNP,
                                  std::move(params));
    // The bulletin pages are long HTML; they are not echoed to the console.
    query.logsAnswer = false;
    return query;
}

OfficeQuery<std::string> companyLogo() {
    auto request = QueryRequest::forSession(OfficeMethod::Query_CompanyLogo, std::nullopt);
    request.answerKind = AnswerKind::Text;
    request.closingSlash = false;
    return makeQuery<std::string>(std::move(request), &AnswerDecoders::logoAddress);
}

QueryFor<DisplanDetailInfoArray> dayPlan(const std::string& day) {
    auto params = askingEmployee();
    params[Param::RunDate] = day;
    return query(OfficeMethod::Query_DisplanInfo, std::move(params), &AnswerDecoders::dayPlan);
}

QueryFor<NosendDisplanList> undispatchedTrips(const std::string& day) {
    auto params = askingEmployee();
    params[Param::RunDate] = day;
    return query(OfficeMethod::Query_NosendDisplanInfo, std::move(params),
                 &AnswerDecoders::undispatchedTrips);
}

QueryFor<ArrangeInfoList> roster(const std::string& day) {
    auto params = askingEmployee();
    params[Param::RunDate] = day;
    return rowsOf<&ArrangeInfoList::ArrangeList>(OfficeMethod::Query_Arrange, std::move(params));
}

QueryFor<FinishDisplanInfoArray> completedTrips(const std::string& day) {
    auto params = askingEmployee();
    params[Param::RunDate] = day;
    return query(OfficeMethod::Query_FinishDisplan, std::move(params), &AnswerDecoders::completedTrips);
}

QueryFor<NormalList> violationSummary(const std::string& vehicle, const std::string& day) {
    return rowsOf<&NormalList::List>(OfficeMethod::Query_AlertSUM, vehiclePeriod(vehicle, day, day));
}

QueryFor<NormalList> violationDetails(const std::string& vehicle, const std::string& alertType,
                                      const std::string& day) {
    auto params = vehiclePeriod(vehicle, day, day);
    params[Param::Alerttype] = alertType;
    return rowsOf<&NormalList::List>(OfficeMethod::Query_AlertDetail, std::move(params));
}

QueryFor<NormalList> maintenancePlans(const std::string& vehicle, const std::string& start,
                                      const std::string& end) {
    return rowsOf<&NormalList::List>(OfficeMethod::Query_TembusdefassInfo,
                                     vehiclePeriod(vehicle, start, end));
}

QueryFor<NormalList> repairOrders(const std::string& vehicle, const std::string& start,
                                  const std::string& end) {
    return rowsOf<&NormalList::List>(OfficeMethod::Query_WorkorderInfo, vehiclePeriod(vehicle, start, end));
}

QueryFor<NormalList> attendance(const std::string& start, const std::string& end) {
    return rowsOf<&NormalList::List>(OfficeMethod::Query_FdisempdutyInfo,
                                     withPeriod(askingEmployee(), start, end));
}

QueryFor<NormalList> materialSummary(const std::string& vehicle, const std::string& month) {
    return rowsOf<&NormalList::List>(OfficeMethod::Query_StockbillSUM, vehiclePeriod(vehicle, month, month));
}

QueryFor<NormalList> materialRecords(const std::string& vehicle, const std::string& month) {
    return rowsOf<&NormalList::List>(OfficeMethod::Query_StockbillInfo, vehiclePeriod(vehicle, month, month));
}

QueryFor<NormalList> fuelSummary(const std::string& vehicle, const std::string& month) {
    return rowsOf<&NormalList::List>(OfficeMethod::Query_DssfuelcostSUM,
                                     vehiclePeriod(vehicle, month, month));
}

QueryFor<NormalList> fuelRecords(const std::string& vehicle, const std::string& period) {
    return rowsOf<&NormalList::List>(OfficeMethod::Query_DssfuelcostInfo,
                                     vehiclePeriod(vehicle, period, period));
}

QueryFor<DssticketcostSumList> revenueOfDay(Scope scope, const std::string& day) {
    // This query alone is asked with the remembered login name (else the card typed at this run's
    // login), not with the employee identifier.
    return rowsOf<&DssticketcostSumList::DssfuelcostList>(
        OfficeMethod::Query_DssticketreceiptInfoOneday,
        scoped(asking(Session::shared().userName()), scope, day));
}

QueryFor<DssticketcostSumList> revenueSummary(Scope scope, const std::string& month) {
    return rowsOf<&DssticketcostSumList::DssfuelcostList>(OfficeMethod::Query_DssticketreceiptSUM,
                                                          scoped(askingEmployee(), scope, month));
}

QueryFor<DssticketcostSumList> revenueOfDriver(const std::optional<std::string>& driverID,
                                               const std::string& month) {
    return rowsOf<&DssticketcostSumList::DssfuelcostList>(OfficeMethod::Query_DssticketreceiptInfo,
                                                          ofDriver(driverID, month));
}

QueryFor<MileDriverList> mileageOfDay(Scope scope, const std::string& day) {
    return rowsOf<&MileDriverList::List>(OfficeMethod::Query_BusdaymileInfoOnedayByDriver,
                                         scoped(askingEmployee(), scope, day));
}

QueryFor<MileDriverList> mileageSummary(Scope scope, const std::string& month) {
    return rowsOf<&MileDriverList::List>(OfficeMethod::Query_BusdaymileSUMByDriver,
                                         scoped(askingEmployee(), scope, month));
}

QueryFor<MileDriverList> mileageOfDriver(const std::optional<std::string>& driverID,
                                         const std::string& month) {
    return rowsOf<&MileDriverList::List>(OfficeMethod::Query_BusdaymileInfoByDriver,
                                         ofDriver(driverID, month));
}

QueryFor<EmployeMonthSalary> salaryStatement(const std::string& month) {
    auto params = askingEmployee();
    params[Param::Month] = month;
    auto query = busdesk::OfficeQueries::query(OfficeMethod::Query_Salary, std::move(params),
                                               &AnswerDecoders::salaryStatement);
    query.logsAnswer = false;
    return query;
}

QueryFor<SubsidyRechargeList> mealCard(MealCardRecords kind, const std::string& start,
                                       const std::string& end) {
    static constexpr const char* methods[] = {OfficeMethod::Query_RechargeInfo,
                                              OfficeMethod::Query_ConsumeInfo,
                                              OfficeMethod::Query_MealsubsidsInfo};
    // The meal card answers to the remembered login name, and spells its dates in lower case.
    auto params = asking(Session::shared().userName());
    params[Param::starttime] = start;
    params[Param::endtime] = end;
    return rowsOf<&SubsidyRechargeList::listArr>(methods[static_cast<int>(kind)], std::move(params));
}

QueryFor<RidingRecordList> rides() {
    // The bus card, not the employee: an empty card number is sent empty, a missing one not at all.
    auto session = Session::shared().loginResult();
    return rowsOf<&RidingRecordList::List>(OfficeMethod::Query_RidingRecode,
                                           asking(session ? session->oneCardID : std::nullopt));
}

QueryFor<SuggestList> suggestions() {
    return rowsOf<&SuggestList::List>(OfficeMethod::Query_FeedBackInfoNP, askingEmployee());
}

}  // namespace busdesk::OfficeQueries
