#pragma once

namespace busdesk {

// Every key the client keeps in the settings store. Exact spelling, letter case included:
// the stored key is "EmpId" while the wire parameter is "EmpID".
inline constexpr const char* kZtUsername = "zt_username";  // remembered card number
// Written by earlier versions only: the password now lives in the keyring (RememberedCredentials),
// and a value found in the file is moved there at start.
inline constexpr const char* kZtPassword = "zt_password";
inline constexpr const char* kEmpId = "EmpId";  // EmpID of the last accepted login
// Written by earlier versions only, moved to the keyring at start like kZtPassword.
inline constexpr const char* kIDcard = "IDcard";
inline constexpr const char* kTime = "time";                // "上次刷新时间：..." of the home page
inline constexpr const char* kReadNews = "ReadNews";        // announcement ID -> "1"
inline constexpr const char* kBuselfid = "Buselfid";        // last vehicle number queried
inline constexpr const char* kLockMinutes = "lockMinutes";  // idle minutes before the lock, 0 never
inline constexpr const char* kAppearance = "Appearance";    // "light" or "dark"; absent: the desktop's
inline constexpr const char* kLanguage = "Language";        // "zh_CN" or "en"; absent: the system's
inline constexpr const char* kTextSize = "TextSize";  // "125" … "200" (percent); absent: the desktop's

}  // namespace busdesk
