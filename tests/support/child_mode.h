#pragma once
// Lets a test binary run again as its own helper process: a file registers a named body, and when the
// variable QB_CHILD_MODE names it the binary runs that body (before any test, before main) and exits
// with its result. Tests start the helper with StartChild and touch only that process.
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qb::test {

using ChildBody = int (*)();

struct ChildMode {
    ChildMode(const char* name, ChildBody body)
    {
        const char* wanted = std::getenv("QB_CHILD_MODE");
        if (!wanted || std::strcmp(wanted, name) != 0)
            return;
        const int result = body();
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(result);
    }
};

// Starts this binary as helper `name` with `extra` added to its environment (NAME=value each).
inline void StartChild(QProcess& process, const char* name, const QStringList& extra = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QB_CHILD_MODE"), QString::fromLatin1(name));
    for (const QString& entry : extra) {
        const qsizetype equals = entry.indexOf(u'=');
        environment.insert(entry.left(equals), entry.mid(equals + 1));
    }
    process.setProcessEnvironment(environment);
    process.setProgram(QCoreApplication::applicationFilePath());
    process.start();
}

} // namespace qb::test
