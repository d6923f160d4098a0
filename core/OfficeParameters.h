#pragma once

namespace busdesk {

// The names of the office queries' parameters, case-sensitive, sent exactly as written. Only the
// services write them: a screen says what it asks for and the service spells it for the office.
namespace OfficeParameter {
inline constexpr const char* EmpID = "EmpID";
inline constexpr const char* Index = "Index";
inline constexpr const char* RunDate = "RunDate";
inline constexpr const char* StartTime = "StartTime";
inline constexpr const char* EndTime = "EndTime";
inline constexpr const char* Buselfid = "Buselfid";
inline constexpr const char* Alerttype = "Alerttype";
inline constexpr const char* all = "all";
inline constexpr const char* Month = "Month";
// The meal-card queries spell their dates in lower case.
inline constexpr const char* starttime = "starttime";
inline constexpr const char* endtime = "endtime";
// The feedback submission and its photo upload.
inline constexpr const char* Empid = "Empid";
inline constexpr const char* Content = "Content";
inline constexpr const char* ParentID = "ParentID";
inline constexpr const char* pType = "pType";
inline constexpr const char* id = "id";
// The login and the password change.
inline constexpr const char* CardID = "CardID";
inline constexpr const char* Password = "Password";
inline constexpr const char* OldPassword = "OldPassword";
inline constexpr const char* NewPassword = "NewPassword";

// Every name above, for the check that no screen writes one.
inline constexpr const char* kAll[] = {
    EmpID,   Index, RunDate, StartTime, EndTime, Buselfid, Alerttype, all,      Month,       starttime,
    endtime, Empid, Content, ParentID,  pType,   id,       CardID,    Password, OldPassword, NewPassword,
};
}  // namespace OfficeParameter

}  // namespace busdesk
