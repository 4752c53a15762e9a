#pragma once

#include <functional>
#include <string>

namespace cvt::test {

// The user and group a check runs under when the suite runs as the superuser ("nobody").
constexpr unsigned kUnprivilegedId = 65534;

// Runs a check with the permissions of an ordinary user, so that read-only files and folders bind.
// As the superuser (as in CI) the check runs in a forked child that has dropped to
// kUnprivilegedId; otherwise in this process. The check returns "" when it holds, or what went wrong;
// so does this function, which also reports a child that could not drop its privileges or died.
// The files the check touches must be reachable by that user.
std::string runUnprivileged(const std::function<std::string()>& check);

} // namespace cvt::test
