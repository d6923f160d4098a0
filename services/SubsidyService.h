#pragma once

#include <boost/json.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace busdesk {

class SubsidyRechargeList;

// Stateless; a missing identifier is left out of the request rather than sent empty.
class SubsidyService {
  public:
    // tag 0 recharges, 1 consumption, 2 meal subsidies.
    static void getRechargeInfoWithEmpID(const std::optional<std::string>& empID,
                                         const std::string& starttime, const std::string& endime, int tag,
                                         std::function<void(std::shared_ptr<SubsidyRechargeList>)> success,
                                         std::function<void()> fail);
};

}  // namespace busdesk
