#pragma once
// Exceptions of the socket layer (a local file that cannot be sent is the shared EFileError) and the
// error-code table of its messages. Codes follow the classic socket error numbering (10000 + n) so that
// texts stay the same on every platform; POSIX errno values are translated into those codes.

#include "base/FileError.h"

#include <stdexcept>
#include <string>

class ESockError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An operation ended by Cancel (or by the time-out, which cancels).
class EAbortError : public ESockError {
public:
    using ESockError::ESockError;
};

constexpr int kWouldBlockCode = 10035;
constexpr int kNotConnectedCode = 10057;
// errno values without a classic code get this base, and their system text.
constexpr int kUnmappedErrnoBase = 20000;

// The socket error code for a POSIX errno value (0 for 0).
int SocketErrorCodeFromErrno(int errnoValue);
// The socket error code for a getaddrinfo() failure (EAI_* value).
int SocketErrorCodeFromLookup(int eaiValue);
// "10061:Connection refused"; a code not in the table gives "Unknown Error No. " and the code.
std::string SocketErrorMessage(int code);
