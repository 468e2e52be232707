#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

// The fuzzer's bytes as a regular file that the code under test opens by path, as it opens the
// user's files: a memory file named through /proc/self/fd, so nothing touches the disk.
class FuzzFile
{
public:
    FuzzFile(const uint8_t *data, size_t size)
        : m_fd(::memfd_create("velmora-fuzz", MFD_CLOEXEC))
    {
        if (m_fd < 0)
            std::abort();
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(m_fd, data + done, size - done);
            if (n <= 0)
                std::abort();
            done += size_t(n);
        }
    }
    ~FuzzFile() { ::close(m_fd); }
    FuzzFile(const FuzzFile &) = delete;
    FuzzFile &operator=(const FuzzFile &) = delete;

    QString path() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fd); }

private:
    int m_fd;
};

inline QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}
