#pragma once

namespace busdesk {

// The office-service method names, case-sensitive, sent exactly as written. Each becomes one
// path component below OfficeServiceQ/ (see PublicMethod::addUrlPreWithName).
namespace OfficeMethod {
inline constexpr const char* User_Login = "User_Login";
inline constexpr const char* User_ChangePassword = "User_ChangePassword";
inline constexpr const char* Query_Salary = "Query_Salary";
inline constexpr const char* Query_ByNewInfoPartNP = "Query_ByNewInfoPartNP";
inline constexpr const char* Query_ByRegulationsInfoPartNP = "Query_ByRegulationsInfoPartNP";
inline constexpr const char* Query_DisplanInfo = "Query_DisplanInfo";
inline constexpr const char* Query_NosendDisplanInfo = "Query_NosendDisplanInfo";
inline constexpr const char* Query_Arrange = "Query_Arrange";
inline constexpr const char* Query_CompanyLogo = "Query_CompanyLogo";
inline constexpr const char* Query_FinishDisplan = "Query_FinishDisplan";
inline constexpr const char* Query_AlertSUM = "Query_AlertSUM";
inline constexpr const char* Query_AlertDetail = "Query_AlertDetail";
inline constexpr const char* Query_TembusdefassInfo = "Query_TembusdefassInfo";
inline constexpr const char* Query_WorkorderInfo = "Query_WorkorderInfo";
inline constexpr const char* Query_FdisempdutyInfo = "Query_FdisempdutyInfo";
inline constexpr const char* Query_StockbillSUM = "Query_StockbillSUM";
inline constexpr const char* Query_StockbillInfo = "Query_StockbillInfo";
inline constexpr const char* Query_DssfuelcostSUM = "Query_DssfuelcostSUM";
inline constexpr const char* Query_DssfuelcostInfo = "Query_DssfuelcostInfo";
inline constexpr const char* Query_DssticketreceiptInfoOneday = "Query_DssticketreceiptInfoOneday";
inline constexpr const char* Query_DssticketreceiptSUM = "Query_DssticketreceiptSUM";
inline constexpr const char* Query_DssticketreceiptInfo = "Query_DssticketreceiptInfo";
inline constexpr const char* Query_BusdaymileInfoOnedayByDriver = "Query_BusdaymileInfoOnedayByDriver";
inline constexpr const char* Query_BusdaymileSUMByDriver = "Query_BusdaymileSUMByDriver";
inline constexpr const char* Query_BusdaymileInfoByDriver = "Query_BusdaymileInfoByDriver";
inline constexpr const char* Query_RechargeInfo = "Query_RechargeInfo";
inline constexpr const char* Query_ConsumeInfo = "Query_ConsumeInfo";
inline constexpr const char* Query_MealsubsidsInfo = "Query_MealsubsidsInfo";
inline constexpr const char* Query_RidingRecode = "Query_RidingRecode";
inline constexpr const char* Query_FeedBackInfoNP = "Query_FeedBackInfoNP";
inline constexpr const char* FeedBackInfoNP = "FeedBackInfoNP";
inline constexpr const char* UploadPictureFromID = "UploadPictureFromID";

// Every name above, for tests and for the substitute server's routing table.
inline constexpr const char* kAll[] = {
    User_Login,
    User_ChangePassword,
    Query_Salary,
    Query_ByNewInfoPartNP,
    Query_ByRegulationsInfoPartNP,
    Query_DisplanInfo,
    Query_NosendDisplanInfo,
    Query_Arrange,
    Query_CompanyLogo,
    Query_FinishDisplan,
    Query_AlertSUM,
    Query_AlertDetail,
    Query_TembusdefassInfo,
    Query_WorkorderInfo,
    Query_FdisempdutyInfo,
    Query_StockbillSUM,
    Query_StockbillInfo,
    Query_DssfuelcostSUM,
    Query_DssfuelcostInfo,
    Query_DssticketreceiptInfoOneday,
    Query_DssticketreceiptSUM,
    Query_DssticketreceiptInfo,
    Query_BusdaymileInfoOnedayByDriver,
    Query_BusdaymileSUMByDriver,
    Query_BusdaymileInfoByDriver,
    Query_RechargeInfo,
    Query_ConsumeInfo,
    Query_MealsubsidsInfo,
    Query_RidingRecode,
    Query_FeedBackInfoNP,
    FeedBackInfoNP,
    UploadPictureFromID,
};
}  // namespace OfficeMethod

}  // namespace busdesk
