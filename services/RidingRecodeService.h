#pragma once

#include <boost/json.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace busdesk {

class RidingRecordList;

// Stateless; a missing identifier is left out of the request rather than sent empty.
class RidingRecodeService {
  public:
    static void getRidingWithEmpID(const std::optional<std::string>& empID,
                                   std::function<void(std::shared_ptr<RidingRecordList>)> success,
                                   std::function<void()> fail);
};

}  // namespace busdesk
