// The lock file that a writer of the settings store ended by force leaves behind.
#include "platform/abandoned_lock.h"

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#endif

void RemoveAbandonedLock([[maybe_unused]] const QString& file) {
#ifndef Q_OS_WIN
    const QByteArray lock = QFile::encodeName(file + QStringLiteral(".lock"));
    const int fd = ::open(lock.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return;
    struct stat status {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &status) == 0 && status.st_size == 0)
        ::unlink(lock.constData());
    ::close(fd);
#endif
}
