// The lock file that a writer of the settings store ended by force leaves behind.
#pragma once

#include <QString>

// QSettings holds a lock file while it writes. A writer ended by force between making that file
// and writing its owner into it leaves it empty, and Qt takes an empty lock file for held until
// it is 30 s old: every save would hang that long. Its owner keeps a flock on it while it lives,
// so an empty lock file of `file` that takes one is abandoned, and goes as Qt removes a stale
// lock. A lock file that names its owner is Qt's to judge. Nothing to do on Windows.
void RemoveAbandonedLock(const QString& file);
