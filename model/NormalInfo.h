#pragma once

#include <optional>
#include <string>

#include "model/WireModel.h"

namespace busdesk {

// The wide record shared by the announcement, violation, maintenance, repair, attendance,
// material and fuel queries; each query fills its own subset and leaves the rest empty.
class NormalInfo : public WireModelBase<NormalInfo> {
    BUSDESK_WIRE_MODEL(NormalInfo)
    std::optional<std::string> ContentAbstract;
    std::optional<std::string> ContentHtml;
    std::optional<std::string> ID;
    std::optional<std::string> PublishBy;
    std::optional<std::string> RealeaseDate;
    std::optional<std::string> RealeaseDateTime;
    std::optional<std::string> Title;
    std::optional<std::string> Publishby;
    std::optional<std::string> AlertType;
    std::optional<std::string> Busname;
    int Num = 0;
    std::optional<std::string> Rundate;
    std::optional<std::string> AlertValue;
    std::optional<std::string> StandValue;
    std::optional<std::string> AlertTime;
    std::optional<std::string> Memo;
    std::optional<std::string> DefLevel;
    std::optional<std::string> Defplandate;
    std::optional<std::string> DefCompany;
    double DefMiles = 0;
    double DefplanMiles = 0;
    double DefPreMiles = 0;
    std::optional<std::string> recordStatus;
    std::optional<std::string> RouteID;
    std::optional<std::string> Status;
    std::optional<std::string> Createtype;
    std::optional<std::string> Orgname;
    std::optional<std::string> Reportdate;
    std::optional<std::string> Comeindate;
    std::optional<std::string> Finishdate;
    std::optional<std::string> Factcost;
    std::optional<std::string> Checkview;
    std::optional<std::string> Notes;
    std::optional<std::string> level;
    std::optional<std::string> caretype;
    std::optional<std::string> mendtype;
    std::optional<std::string> Empname;
    std::optional<std::string> Execdate;
    std::optional<std::string> PlanOnworktime;
    std::optional<std::string> PlanOffworktime;
    std::optional<std::string> RealOnworktime;
    std::optional<std::string> RealOffworktime;
    std::optional<std::string> Orderno;
    std::optional<std::string> Billdate;
    double Totalsum = 0;
    double Count = 0;
    double Price = 0;
    std::optional<std::string> Materialname;
    std::optional<std::string> Warehousename;
    std::optional<std::string> Suppliername;
    std::optional<std::string> Jobtype;
    std::optional<std::string> Fuelname;
    double Fuelnum = 0;
    std::optional<std::string> Runningdate;
    std::optional<std::string> Routename;

    static bool propertyIsOptional(std::string_view) { return true; }
    static void declareProperties(WireModelDeclaration<NormalInfo>& d) {
        WIRE_PROPERTY(d, ContentAbstract);
        WIRE_PROPERTY(d, ContentHtml);
        WIRE_PROPERTY(d, ID);
        WIRE_PROPERTY(d, PublishBy);
        WIRE_PROPERTY(d, RealeaseDate);
        WIRE_PROPERTY(d, RealeaseDateTime);
        WIRE_PROPERTY(d, Title);
        WIRE_PROPERTY(d, Publishby);
        WIRE_PROPERTY(d, AlertType);
        WIRE_PROPERTY(d, Busname);
        WIRE_PROPERTY(d, Num);
        WIRE_PROPERTY(d, Rundate);
        WIRE_PROPERTY(d, AlertValue);
        WIRE_PROPERTY(d, StandValue);
        WIRE_PROPERTY(d, AlertTime);
        WIRE_PROPERTY(d, Memo);
        WIRE_PROPERTY(d, DefLevel);
        WIRE_PROPERTY(d, Defplandate);
        WIRE_PROPERTY(d, DefCompany);
        WIRE_PROPERTY(d, DefMiles);
        WIRE_PROPERTY(d, DefplanMiles);
        WIRE_PROPERTY(d, DefPreMiles);
        WIRE_PROPERTY(d, recordStatus);
        WIRE_PROPERTY(d, RouteID);
        WIRE_PROPERTY(d, Status);
        WIRE_PROPERTY(d, Createtype);
        WIRE_PROPERTY(d, Orgname);
        WIRE_PROPERTY(d, Reportdate);
        WIRE_PROPERTY(d, Comeindate);
        WIRE_PROPERTY(d, Finishdate);
        WIRE_PROPERTY(d, Factcost);
        WIRE_PROPERTY(d, Checkview);
        WIRE_PROPERTY(d, Notes);
        WIRE_PROPERTY(d, level);
        WIRE_PROPERTY(d, caretype);
        WIRE_PROPERTY(d, mendtype);
        WIRE_PROPERTY(d, Empname);
        WIRE_PROPERTY(d, Execdate);
        WIRE_PROPERTY(d, PlanOnworktime);
        WIRE_PROPERTY(d, PlanOffworktime);
        WIRE_PROPERTY(d, RealOnworktime);
        WIRE_PROPERTY(d, RealOffworktime);
        WIRE_PROPERTY(d, Orderno);
        WIRE_PROPERTY(d, Billdate);
        WIRE_PROPERTY(d, Totalsum);
        WIRE_PROPERTY(d, Count);
        WIRE_PROPERTY(d, Price);
        WIRE_PROPERTY(d, Materialname);
        WIRE_PROPERTY(d, Warehousename);
        WIRE_PROPERTY(d, Suppliername);
        WIRE_PROPERTY(d, Jobtype);
        WIRE_PROPERTY(d, Fuelname);
        WIRE_PROPERTY(d, Fuelnum);
        WIRE_PROPERTY(d, Runningdate);
        WIRE_PROPERTY(d, Routename);
    }
};

}  // namespace busdesk
