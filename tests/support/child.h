#pragma once
// The real program as a child of a test: when it is ready for a signal, and a signal that can only
// reach that child. A QProcess whose child has ended answers 0 for its id, and kill(0, ...) would
// end the test's whole process group (ctest and make with it).
#include <QFile>
#include <QProcess>

#include <csignal>
#include <sys/types.h>

// Whether the child has a handler for sig (the SigCgt mask of /proc/PID/status): once it has, it is
// past its start-up and a signal runs its normal quit.
inline bool catchesSignal(const QProcess& child, int sig) {
    if (child.state() != QProcess::Running || child.processId() <= 0) return false;
    QFile status(QStringLiteral("/proc/%1/status").arg(child.processId()));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:")) return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

// Sends sig to the child while QProcess still counts it running: until QProcess has reaped it, its
// id cannot belong to anyone else. Answers whether the signal went.
inline bool signalChild(const QProcess& child, int sig) {
    if (child.state() != QProcess::Running || child.processId() <= 0) return false;
    return ::kill(static_cast<pid_t>(child.processId()), sig) == 0;
}
