#pragma once

#include <boost/json.hpp>
#include <functional>
#include <memory>
#include <string>

namespace busdesk {

class WireModel;
class NormalList;
class ArrangeInfoList;

// The office query service for operations data as callers that build their own parameters and
// choose the method by a tag know it. Every call goes the typed way (services/OfficeQuery.h) with
// the parameters unchanged, and ends in exactly one of its two blocks, on the main thread. Screens
// use the typed queries of OfficeQueries.h instead.
class NormalService {
  public:
    using Fail = std::function<void()>;

    // tag 2 announcements, 3 regulations.
    static void getNewsServiceInfoWithPara(boost::json::object params, int tag,
                                           std::function<void(std::shared_ptr<NormalList>)> success,
                                           Fail fail);
    // tag 0: the day's plan → DisplanDetailInfoArray; other tags: trips not yet dispatched →
    // NosendDisplanList. An array answer gives nullptr (the screen shows its no-data text).
    static void getPlansServiceInfoWithPara(boost::json::object params, int tag,
                                            std::function<void(std::shared_ptr<WireModel>)> success,
                                            Fail fail);
    // Company picture address, cleaned of the decoration characters. Without parameters (the
    // launch screen asks with none) the address goes out bare.
    static void getADImageWithPara(std::optional<boost::json::object> params,
                                   std::function<void(std::string)> success, Fail fail);
    static void getArrangeWithPara(boost::json::object params,
                                   std::function<void(std::shared_ptr<ArrangeInfoList>)> success, Fail fail);
    // "完成车次" → FinishDisplanInfoArray; "车辆违规", "违规详情", "车辆保养", "维修查询", "考勤" →
    // NormalList.
    static void getSearchWithPara(boost::json::object params, const std::string& tag,
                                  std::function<void(std::shared_ptr<WireModel>)> success, Fail fail);
    // 0–3 NormalList, 4–6 DssticketcostSumList, 7–9 MileDriverList.
    static void getSearchNumWithPara(boost::json::object params, int tag,
                                     std::function<void(std::shared_ptr<WireModel>)> success, Fail fail);
};

}  // namespace busdesk
