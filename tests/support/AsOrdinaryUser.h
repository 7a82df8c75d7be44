#pragma once
// While alive, this thread's file accesses are checked as "nobody" (filesystem IDs), so that permissions
// bind root too, as in CI. For anyone else it does nothing.

#include <sys/fsuid.h>
#include <unistd.h>

namespace testsupport {

class AsOrdinaryUser {
 public:
  AsOrdinaryUser() { setIds(65534); }
  ~AsOrdinaryUser() { setIds(0); }
  // Permissions now bind: not root, or switched (an invalid ID asks for the one in force).
  bool ok() const { return !root_ || (::setfsuid(uid_t(-1)) == 65534 && ::setfsgid(gid_t(-1)) == 65534); }

 private:
  void setIds(uid_t id) const {
    if (!root_) return;
    ::setfsgid(id);
    ::setfsuid(id);
  }
  const bool root_ = ::geteuid() == 0;
};

}  // namespace testsupport
