#pragma once
// The one exception for a local file that cannot be read or written, shared by the page files and the
// upload, so that code using both sees a single type. Its message is the user's text ("Cannot open file
// ...", "Cannot create file ...").

#include <stdexcept>

class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
