#pragma once

#include <memory>
#include <optional>
#include <string>

#include "services/OfficeQuery.h"

namespace busdesk {

class ArrangeInfoList;
class DisplanDetailInfoArray;
class DssticketcostSumList;
class EmployeMonthSalary;
class FinishDisplanInfoArray;
class MileDriverList;
class NormalList;
class NosendDisplanList;
class RidingRecordList;
class SubsidyRechargeList;
class SuggestList;

template <class Model>
using QueryFor = OfficeQuery<std::shared_ptr<Model>>;

// Whose figures a statistics query covers: the signed-in employee's, or everybody's they may see.
enum class Scope { Oneself, Everybody };
// The statistics screens' `all` flag as a scope.
inline constexpr Scope scopeOf(bool all) {
    return all ? Scope::Everybody : Scope::Oneself;
}
enum class Bulletins { Announcements, Regulations };
enum class MealCardRecords { Recharges, Purchases, Subsidies };

// Every office query, typed: each takes what the user chose and gives the query that asks for it.
// The signed-in identifiers come from the session here (EmpID, and where the office wants another
// identifier, the card or the driver), and so does the office method; a screen never spells a
// parameter. Dates are texts as the fields hold them ("yyyy-MM-dd" days, "yyyy-MM" months) and
// are sent unchanged. A missing identifier is left out of the request rather than sent empty.
// Send one with runQuery(query, success, fail).
namespace OfficeQueries {

// ---- home page and bulletins
QueryFor<NormalList> bulletins(Bulletins kind, int page);
// The company picture's address (text, cleaned of its decoration).
OfficeQuery<std::string> companyLogo();

// ---- operations
// The plan of `day` with its totals; nullptr when the office has no plan.
QueryFor<DisplanDetailInfoArray> dayPlan(const std::string& day);
// The trips of `day` not yet dispatched; nullptr when the office answers with none.
QueryFor<NosendDisplanList> undispatchedTrips(const std::string& day);
// The duty roster of `day`.
QueryFor<ArrangeInfoList> roster(const std::string& day);
QueryFor<FinishDisplanInfoArray> completedTrips(const std::string& day);
// The violations of `day` per vehicle and kind; an empty vehicle asks for every vehicle.
QueryFor<NormalList> violationSummary(const std::string& vehicle, const std::string& day);
QueryFor<NormalList> violationDetails(const std::string& vehicle, const std::string& alertType,
                                      const std::string& day);
QueryFor<NormalList> maintenancePlans(const std::string& vehicle, const std::string& start,
                                      const std::string& end);
QueryFor<NormalList> repairOrders(const std::string& vehicle, const std::string& start,
                                  const std::string& end);
QueryFor<NormalList> attendance(const std::string& start, const std::string& end);
// Material requisitions of a month: per vehicle, and one vehicle's records.
QueryFor<NormalList> materialSummary(const std::string& vehicle, const std::string& month);
QueryFor<NormalList> materialRecords(const std::string& vehicle, const std::string& month);
// Fuel of a month per vehicle, and the records of a day or of a month.
QueryFor<NormalList> fuelSummary(const std::string& vehicle, const std::string& month);
QueryFor<NormalList> fuelRecords(const std::string& vehicle, const std::string& period);
// Revenue: of a day (asked with the remembered login name), of a month per driver, and of one
// driver (chosen in the summary) for a month.
QueryFor<DssticketcostSumList> revenueOfDay(Scope scope, const std::string& day);
QueryFor<DssticketcostSumList> revenueSummary(Scope scope, const std::string& month);
QueryFor<DssticketcostSumList> revenueOfDriver(const std::optional<std::string>& driverID,
                                               const std::string& month);
// Mileage: of a day by driver, of a month per driver, and of one driver for a month.
QueryFor<MileDriverList> mileageOfDay(Scope scope, const std::string& day);
QueryFor<MileDriverList> mileageSummary(Scope scope, const std::string& month);
QueryFor<MileDriverList> mileageOfDriver(const std::optional<std::string>& driverID,
                                         const std::string& month);

// ---- self-service
// The statement of `month` ("yyyyMM"); nullptr when there is none.
QueryFor<EmployeMonthSalary> salaryStatement(const std::string& month);
// Meal-card records of a date range, asked with the remembered login name.
QueryFor<SubsidyRechargeList> mealCard(MealCardRecords kind, const std::string& start,
                                       const std::string& end);
// The rides of the employee's bus card (asked with the card number).
QueryFor<RidingRecordList> rides();
QueryFor<SuggestList> suggestions();

}  // namespace OfficeQueries

}  // namespace busdesk
