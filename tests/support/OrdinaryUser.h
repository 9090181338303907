#pragma once
// File permissions as an ordinary user meets them, for tests of refused reads and writes
// that must hold when the suite runs as the super-user too.

#include <linux/capability.h>

namespace slxtest {

// While it lives, file permissions hold for this thread as they do for an ordinary user
// who owns the files: the super-user's rights to read, write and search any file or folder
// whatever its permissions are set aside, for opening files and for checks of access
// rights alike, and taken back when it goes. The files keep their owner, so a test takes
// a right away with the owner's permission bits alone. For an ordinary user it does
// nothing.
class OrdinaryUser {
public:
    OrdinaryUser();
    ~OrdinaryUser();
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;
    // Whether the permissions now hold for this thread (false only when the rights could
    // not be set aside).
    bool holds() const { return m_holds; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_caps[_LINUX_CAPABILITY_U32S_3] = {};
    __u32 m_effective = 0;
    int m_securebits = 0;
    bool m_bitSet = false;
    bool m_changed = false;
    bool m_holds = false;
};

} // namespace slxtest
