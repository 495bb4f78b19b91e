#pragma once
// A private temporary folder standing in for the user's configuration and data folders for the life of
// a test, so that nothing a test saves reaches the real home folder.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qb::test {

class TempHome {
public:
    TempHome()
    {
        EXPECT_TRUE(m_dir.isValid());
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        m_oldData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(ConfigHome()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(DataHome()));
    }
    ~TempHome()
    {
        Restore("XDG_CONFIG_HOME", m_oldConfig);
        Restore("XDG_DATA_HOME", m_oldData);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

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
    static void Restore(const char* name, const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }

    QTemporaryDir m_dir;
    QByteArray m_oldConfig;
    QByteArray m_oldData;
};

} // namespace qb::test
