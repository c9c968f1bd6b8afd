// The track store's own message texts, shared by its file and list operations.
#pragma once

namespace tavrin {

inline constexpr char kCannotFindFile[] = "Error.. Cannot find file.";
inline constexpr char kFileOpenError[] = "Unknown Data file(File Open Error).";
inline constexpr char kDataError[] = "Unknown Data file(Data Error).";

}  // namespace tavrin
