#pragma once

#include <boost/json/array.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "model/WireModel.h"

namespace busdesk {

class DssticketcostSum : public WireModelBase<DssticketcostSum> {
    BUSDESK_WIRE_MODEL(DssticketcostSum)

  public:
    std::optional<std::string> driverID;
    std::optional<std::string> Busname;
    std::optional<std::string> Rundate;
    double GeneralIncome = 0;
    int GeneralTicketNum = 0;
    double IClIncome = 0;
    int ICTicketNum = 0;
    std::optional<std::string> attendant;
    int FreeICTicketNum = 0;
    std::optional<std::string> routeid;
    std::optional<std::string> DriverID;
    std::optional<std::string> Drivername;
    std::optional<std::string> OperateDate;
    double IcTotalIncome = 0;
    double cashTotalIncome = 0;
    double TotalIncome = 0;
    double Income = 0;
    std::optional<std::string> Memos;
    std::optional<std::string> ICorCash;
    std::optional<std::string> routeID;
    double Milenum = 0;

    static void declareProperties(WireModelDeclaration<DssticketcostSum>& d);
    static bool propertyIsOptional(std::string_view) { return true; }
};

}  // namespace busdesk
