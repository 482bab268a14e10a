#pragma once

namespace corvane {

// The station's dialog template and the ids of the controls that its Win32 view addresses.
inline constexpr int StationDialogId = 103;
inline constexpr int StationSelectFileId = 1100;
inline constexpr int StationFileNameBoxId = 1101;
inline constexpr int StationFileDateBoxId = 1102;
inline constexpr int StationFirstFamilyId = 1103;  // the K31 button; K47's follows it
inline constexpr int StationPortKindId = 1105;     // All ports / Ports matching / These ports
inline constexpr int StationPortTextId = 1106;
inline constexpr int StationRecordNameId = 1107;
inline constexpr int StationSelectRecordId = 1108;
inline constexpr int StationSetupGroupId = 1109;
inline constexpr int StationListId = 1110;
inline constexpr int StationStartAllId = 1111;
inline constexpr int StationWatchId = 1112;
inline constexpr int StationStopId = 1113;
inline constexpr int StationRetryId = 1114;
inline constexpr int StationCountsId = 1115;

}  // namespace corvane
