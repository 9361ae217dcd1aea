#pragma once
// A refusal by the FTP server (its message is the server's reply line) or a command the client refuses
// to send.

#include <stdexcept>

class FTPException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
