#include "model/DssticketcostSum.h"

#include "model/WireValueTransformer.h"

namespace busdesk {

void DssticketcostSum::declareProperties(WireModelDeclaration<DssticketcostSum>& d) {
    WIRE_PROPERTY(d, driverID);
    WIRE_PROPERTY(d, Busname);
    WIRE_PROPERTY(d, Rundate);
    WIRE_PROPERTY(d, GeneralIncome);
    WIRE_PROPERTY(d, GeneralTicketNum);
    WIRE_PROPERTY(d, IClIncome);
    WIRE_PROPERTY(d, ICTicketNum);
    WIRE_PROPERTY(d, attendant);
    WIRE_PROPERTY(d, FreeICTicketNum);
    WIRE_PROPERTY(d, routeid);
    // The summary query sends the driver number as "DriverID", the others as "driverID"; readers
    // only look at driverID, so either key lands there. When both arrive, "driverID" wins.
    WIRE_PROPERTY(d, DriverID)
        .setter("setDriverIDWithNSString:", [](WireModel& model, const boost::json::value& v,
                                               const WireImportContext& ctx, Error* error) {
            auto& self = static_cast<DssticketcostSum&>(model);
            if (ctx.source) {
                if (auto* lower = ctx.source->if_contains("driverID"); lower && !lower->is_null())
                    return true;
            }
            if (v.is_string()) {
                self.driverID = std::string(v.get_string());
                return true;
            }
            if (v.is_number() || v.is_bool()) {
                self.driverID = WireValueTransformer::stringFromNumber(v);
                return true;
            }
            if (error) {
                const auto* p = ctx.modelClass ? ctx.modelClass->property("DriverID") : nullptr;
                if (p) *error = wire_detail::noConversionError(ctx, *p, v);
            }
            return false;
        });
    WIRE_PROPERTY(d, Drivername);
    WIRE_PROPERTY(d, OperateDate);
    WIRE_PROPERTY(d, IcTotalIncome);
    WIRE_PROPERTY(d, cashTotalIncome);
    WIRE_PROPERTY(d, TotalIncome);
    WIRE_PROPERTY(d, Income);
    WIRE_PROPERTY(d, Memos);
    WIRE_PROPERTY(d, ICorCash);
    WIRE_PROPERTY(d, routeID);
    WIRE_PROPERTY(d, Milenum);
}

}  // namespace busdesk
