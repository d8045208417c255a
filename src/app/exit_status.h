#pragma once

namespace sb {

// Exit statuses of the program.
constexpr int kExitOk = 0;
constexpr int kExitRecordedError = 1;  // compile: the final ErrorCode is not 0
constexpr int kExitFailure = 2;        // usage, unreadable input, unwritable output, no track
constexpr int kExitFatal = 3;          // errore: a reserved slot was taken (1250 / 1251)

}  // namespace sb
