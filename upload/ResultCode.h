#pragma once

namespace corvane {

// The outcome of one update, as the procedures and the block transfer report it.
enum ResultCode : int {
    ResultOk = 0,
    ResultInvalidParameters = 1,
    ResultPortUnavailable = 2,
    ResultFileOpenFailed = 3,
    ResultInvalidFile = 4,
    ResultModemRejectedData = 5,
    ResultModemNotConnected = 6,
    ResultWrongModuleType = 7,
};

}  // namespace corvane
