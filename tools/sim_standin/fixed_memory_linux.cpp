// SPDX-License-Identifier: MIT
#include "fixed_memory.h"

#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kerbview::standin {

FixedMemory::FixedMemory(std::uint64_t start, std::uint64_t end) {
    const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    m_start = start / page * page;
    m_size = static_cast<std::size_t>((end + page - 1) / page * page - m_start);
    // MAP_FIXED_NOREPLACE never replaces an existing mapping; kernels before 4.17 ignore the
    // flag and may place the block elsewhere, which the address check below catches.
    void* base = ::mmap(reinterpret_cast<void*>(m_start), m_size, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (base == MAP_FAILED) {
        const int error = errno;
        char where[64];
        std::snprintf(where, sizeof where, "%zu bytes at 0x%llx", m_size,
                      static_cast<unsigned long long>(m_start));
        m_error = std::string("cannot map ") + where + ": " + std::strerror(error) +
                  (error == EEXIST ? " (this process already uses part of that range)" : "");
        return;
    }
    if (base != reinterpret_cast<void*>(m_start)) {
        ::munmap(base, m_size);
        m_error = "the kernel placed the block elsewhere (MAP_FIXED_NOREPLACE unsupported)";
        return;
    }
    m_base = base;
}

FixedMemory::~FixedMemory() {
    if (m_base != nullptr) {
        ::munmap(m_base, m_size);
    }
}

std::string AllowMemoryReaders() {
    if (::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0) != 0 && errno != EINVAL) {
        return std::strerror(errno);
    }
    // EINVAL: no Yama module, so there is nothing to allow beyond the usual same-user rule.
    return std::string();
}

}  // namespace kerbview::standin
