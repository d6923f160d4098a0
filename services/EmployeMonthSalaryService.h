#pragma once

#include <boost/json.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace busdesk {

class EmployeMonthSalary;

// Stateless; a missing identifier is left out of the request rather than sent empty.
class EmployeMonthSalaryService {
  public:
    // month: "yyyyMM". success(nullptr, false) for anything but a non-empty array.
    static void getEmpolyeMonthWithEmpID(
        const std::optional<std::string>& empID, const std::string& month,
        std::function<void(std::shared_ptr<EmployeMonthSalary>, bool)> success, std::function<void()> fail);
};

}  // namespace busdesk
