#pragma once

namespace corvane {

// The main dialog's template and the ids of the controls that its views address.
inline constexpr int MainDialogId = 102;
inline constexpr int SelectFileId = 1000;
inline constexpr int ProgressBarId = 1005;
inline constexpr int StartUpdateId = 1007;
inline constexpr int FirstModuleTypeId = 1008;  // the K31 button; K47's follows it in its group
inline constexpr int FileNameBoxId = 1011;
inline constexpr int FileDateBoxId = 1012;

}  // namespace corvane
