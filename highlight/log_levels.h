// Levels of the highlighting engine's error-log records.
#pragma once

namespace zv {

inline constexpr int kLogDebug = 0;
inline constexpr int kLogError = 2;
inline constexpr int kLogWarning = 3;
inline constexpr int kLogInformation = 4;

}  // namespace zv
