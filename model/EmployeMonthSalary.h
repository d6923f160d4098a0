#pragma once

#include <optional>
#include <string>

#include "model/SalaryItem.h"
#include "model/WireModel.h"

namespace busdesk {

// The salary statement of one month.
class EmployeMonthSalary : public WireModelBase<EmployeMonthSalary> {
    BUSDESK_WIRE_MODEL(EmployeMonthSalary)
    WireModelArray<SalaryItem> salaryItems;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<EmployeMonthSalary>& d) {
        WIRE_PROPERTY(d, salaryItems).convertOnDemand();
    }
};

}  // namespace busdesk
