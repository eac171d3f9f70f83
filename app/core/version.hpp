#pragma once
// The program's version: major, minor, revision.

namespace KVEVersion {
inline constexpr int Major = 1;
inline constexpr int Minor = 0;
inline constexpr int Revision = 0;
} // namespace KVEVersion
