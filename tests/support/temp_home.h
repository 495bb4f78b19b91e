#pragma once
// A private temporary folder standing in for the user's configuration and data folders for the life of
// a test, so that nothing a test saves reaches the real home folder.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qb::test {

// An environment variable set for the life of the object, then restored.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value) : m_name(name), m_old(qgetenv(name))
    {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv() { m_old.isNull() ? qunsetenv(m_name) : qputenv(m_name, m_old); }

private:
    const char* m_name;
    const QByteArray m_old;
};

class TempHome {
public:
    TempHome() { EXPECT_TRUE(m_dir.isValid()); }

    QString Path() const { return m_dir.path(); }
    QString ConfigHome() const { return m_dir.path() + "/config"; }
    QString DataHome() const { return m_dir.path() + "/data"; }

    static QByteArray ReadAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static void WriteAll(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

private:
    QTemporaryDir m_dir;
    const ScopedEnv m_config{"XDG_CONFIG_HOME", ConfigHome()};
    const ScopedEnv m_data{"XDG_DATA_HOME", DataHome()};
};

} // namespace qb::test
