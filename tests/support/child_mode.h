#pragma once
// Lets a test binary run again as its own helper process: a file registers a named body, and when the
// variable QB_CHILD_MODE names it the binary runs that body (before any test, before main) and exits
// with its result. Tests start the helper with StartChild and touch only that process.
#include <QCoreApplication>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qb::test {

struct ChildMode {
    ChildMode(const char* name, int (*body)())
    {
        if (const char* wanted = std::getenv("QB_CHILD_MODE"); wanted && std::strcmp(wanted, name) == 0) {
            const int result = body();
            std::fflush(nullptr);
            std::_Exit(result);
        }
    }
};

// Starts this binary as helper `name` with `extra` added to its environment (NAME=value each).
inline void StartChild(QProcess& process, const char* name, const QStringList& extra = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QB_CHILD_MODE"), QString::fromLatin1(name));
    for (const QString& entry : extra)
        environment.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    process.setProcessEnvironment(environment);
    process.setProgram(QCoreApplication::applicationFilePath());
    process.start();
}

} // namespace qb::test
