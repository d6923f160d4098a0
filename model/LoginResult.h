#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// The employee record of a login answer; also the refusal, with IsSuccess "0" and a FailReason.
class LoginResult : public WireModelBase<LoginResult> {
    BUSDESK_WIRE_MODEL(LoginResult)
    std::optional<std::string> EmpID;
    std::optional<std::string> EmpRole;
    std::optional<std::string> EmpRoleName;
    std::optional<std::string> FailReason;
    std::optional<std::string> IDcard;
    std::optional<std::string> IsSuccess;
    std::optional<std::string> Name;
    std::optional<std::string> OrgID;
    std::optional<std::string> OrgName;
    std::optional<std::string> OrgType;
    std::optional<std::string> address;
    std::optional<std::string> birthday;
    std::optional<std::string> graduate;
    std::optional<std::string> oneCardID;
    std::optional<std::string> politic;
    std::optional<std::string> serviceAge;
    std::optional<std::string> sex;
    std::optional<std::string> startTime;
    std::optional<std::string> telephone;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<LoginResult>& d) {
        WIRE_PROPERTY(d, EmpID);
        WIRE_PROPERTY(d, EmpRole);
        WIRE_PROPERTY(d, EmpRoleName);
        WIRE_PROPERTY(d, FailReason);
        WIRE_PROPERTY(d, IDcard);
        WIRE_PROPERTY(d, IsSuccess);
        WIRE_PROPERTY(d, Name);
        WIRE_PROPERTY(d, OrgID);
        WIRE_PROPERTY(d, OrgName);
        WIRE_PROPERTY(d, OrgType);
        WIRE_PROPERTY(d, address);
        WIRE_PROPERTY(d, birthday);
        WIRE_PROPERTY(d, graduate);
        WIRE_PROPERTY(d, oneCardID);
        WIRE_PROPERTY(d, politic);
        WIRE_PROPERTY(d, serviceAge);
        WIRE_PROPERTY(d, sex);
        WIRE_PROPERTY(d, startTime);
        WIRE_PROPERTY(d, telephone);
    }
};

}  // namespace busdesk
