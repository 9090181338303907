#include "OrdinaryUser.h"

#include <linux/securebits.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace slxtest {

namespace {

// The rights that let the super-user past a file's permission bits.
constexpr __u32 kPastPermissions = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

} // namespace

OrdinaryUser::OrdinaryUser()
{
    if (::syscall(SYS_capget, &m_header, m_caps) != 0) {
        // No capabilities to read: only an ordinary user is bound by the permissions.
        m_holds = ::geteuid() != 0;
        return;
    }
    m_effective = m_caps[0].effective;
    if ((m_effective & kPastPermissions) == 0) {
        m_holds = true;
        return;
    }
    // A check of access rights (access(), and QFileInfo's through it) would take the super-user's
    // permitted rights back for its own sake: with this bit it keeps the effective ones.
    const int bits = ::prctl(PR_GET_SECUREBITS);
    if (bits < 0)
        return;
    m_securebits = bits;
    if (::prctl(PR_SET_SECUREBITS, static_cast<unsigned long>(bits | SECBIT_NO_SETUID_FIXUP)) != 0)
        return;
    m_bitSet = true;
    // Only the effective set changes, on this thread: the rights stay permitted and come back.
    m_caps[0].effective &= ~kPastPermissions;
    m_changed = ::syscall(SYS_capset, &m_header, m_caps) == 0;
    m_holds = m_changed;
}

OrdinaryUser::~OrdinaryUser()
{
    if (m_changed) {
        m_caps[0].effective = m_effective;
        ::syscall(SYS_capset, &m_header, m_caps);
    }
    if (m_bitSet)
        ::prctl(PR_SET_SECUREBITS, static_cast<unsigned long>(m_securebits));
}

} // namespace slxtest
