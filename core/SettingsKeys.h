#pragma once

namespace busdesk {

// Every key the client keeps in the settings store. Exact spelling, letter case included:
// the stored key is "EmpId" while the wire parameter is "EmpID".
inline constexpr const char* kZtUsername = "zt_username";  // remembered card number
inline constexpr const char* kZtPassword = "zt_password";  // remembered password
inline constexpr const char* kEmpId = "EmpId";             // EmpID of the last accepted login
inline constexpr const char* kIDcard = "IDcard";           // identity card number of that login
inline constexpr const char* kTime = "time";               // "上次刷新时间：..." of the home page
inline constexpr const char* kReadNews = "ReadNews";       // announcement ID -> "1"
inline constexpr const char* kBuselfid = "Buselfid";       // last vehicle number queried

}  // namespace busdesk
