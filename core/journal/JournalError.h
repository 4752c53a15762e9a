#pragma once

#include <stdexcept>
#include <string>

namespace cvt {

// A journal that cannot be used; what() is the message for the user, naming the file.
class JournalError : public std::runtime_error {
public:
    enum class Kind {
        InUse,    // another running Corvantide holds the file
        Newer,    // made by a newer version: left untouched
        Unusable, // cannot be opened, created or read
        Write,    // a write failed (a full disk): what was committed before is kept
    };
    JournalError(Kind kind, const std::string& message) : std::runtime_error(message), m_kind(kind) {}
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

} // namespace cvt
