#pragma once
// File permissions that bind root too. Tests run as root in CI, where a
// read-only folder is no obstacle; while an AsOrdinaryUser lives, this
// thread's file accesses are checked as the user "nobody" instead (the
// filesystem user and group IDs; root's file capabilities go with them and
// come back afterwards). For anyone else it does nothing: permissions
// already bind.

#include <sys/fsuid.h>
#include <unistd.h>

namespace testsupport {

class AsOrdinaryUser {
 public:
  static constexpr uid_t kNobody = 65534;

  AsOrdinaryUser() {
    if (::geteuid() != 0) return;
    ::setfsgid(kNobody);
    ::setfsuid(kNobody);
    // Both calls return the old value; asking again with an invalid ID tells
    // the value in force.
    ok_ = ::setfsuid(uid_t(-1)) == int(kNobody) && ::setfsgid(gid_t(-1)) == int(kNobody);
  }
  ~AsOrdinaryUser() {
    if (::geteuid() != 0) return;
    ::setfsuid(0);
    ::setfsgid(0);
  }
  AsOrdinaryUser(const AsOrdinaryUser&) = delete;
  AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

  // Permissions now bind: not root, or root switched to nobody.
  bool ok() const { return ok_ || ::geteuid() != 0; }

 private:
  bool ok_ = false;
};

}  // namespace testsupport
