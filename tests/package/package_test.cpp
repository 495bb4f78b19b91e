// The Debian package, made with CPack from this build: its files, dependencies, maintainer scripts and
// desktop entry, and the packaged program's command line. Nothing is installed on this machine.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace qb {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome Execute(const QString& program, const QStringList& arguments, int timeoutMs = 60000)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

bool Installed(const QString& tool)
{
    return Execute("sh", {"-c", "command -v " + tool}).exitCode == 0;
}

class PackageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_folder = new QTemporaryDir;
        const Outcome cpack = Execute(
            "cpack", {"-G", "DEB", "--config", QB_BUILD_DIR "/CPackConfig.cmake", "-B", s_folder->path()},
            240000);
        s_cpackOutput = cpack.out + cpack.err;
        const QStringList debs = QDir(s_folder->path()).entryList({"quillbrook_*.deb"}, QDir::Files);
        if (cpack.exitCode == 0 && debs.size() == 1)
            s_deb = s_folder->filePath(debs.front());
    }
    static void TearDownTestSuite() { delete s_folder; }
    void SetUp() override
    {
        if (!Installed("dpkg-shlibdeps"))
            GTEST_SKIP() << "dpkg-dev is not installed";
        ASSERT_FALSE(s_deb.isEmpty()) << s_cpackOutput.toStdString();
    }

    static QTemporaryDir* s_folder;
    static QString s_deb;
    static QString s_cpackOutput;
};
QTemporaryDir* PackageTest::s_folder = nullptr;
QString PackageTest::s_deb;
QString PackageTest::s_cpackOutput;

// One test: each test runs in a process of its own, and each would make the package anew.
TEST_F(PackageTest, ThePackageHoldsItsFilesGivesAndTakesTheCapabilityAndItsProgramAnswersItsCommandLine)
{
    EXPECT_TRUE(
        QFileInfo(s_deb).fileName().contains(QRegularExpression(R"(^quillbrook_[0-9.]+_[a-z0-9]+\.deb$)")));
    const QString listing = Execute("dpkg-deb", {"-c", s_deb}).out;
    QStringList expected{"./usr/bin/quillbrook", "./usr/share/applications/quillbrook.desktop",
                         "./usr/share/quillbrook/help/index.html", "./usr/share/man/man1/quillbrook.1.gz",
                         "./usr/share/doc/quillbrook/copyright"};
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        expected << QStringLiteral("./usr/share/icons/hicolor/%1x%1/apps/quillbrook.png").arg(size);
    for (const QString& file : expected)
        EXPECT_TRUE(listing.contains(u' ' + file + u'\n')) << file.toStdString() << "\n"
                                                           << listing.toStdString();

    const QString depends = Execute("dpkg-deb", {"-f", s_deb, "Depends"}).out;
    for (const char* library : {"libqt6core6", "libqt6gui6", "libqt6widgets6", "libcap2-bin"})
        EXPECT_TRUE(depends.contains(QLatin1StringView(library))) << library << ": " << depends.toStdString();

    QTemporaryDir control;
    ASSERT_EQ(Execute("dpkg-deb", {"-e", s_deb, control.path()}).exitCode, 0);
    const auto text = [&](const char* name) {
        QFile file(control.filePath(QLatin1StringView(name)));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    EXPECT_TRUE(text("postinst").contains("setcap cap_net_admin+ep /usr/bin/quillbrook"));
    EXPECT_TRUE(text("prerm").contains("setcap -r /usr/bin/quillbrook"));
    EXPECT_TRUE(QFileInfo(control.filePath("postinst")).isExecutable());

    QTemporaryDir root;
    ASSERT_EQ(Execute("dpkg-deb", {"-x", s_deb, root.path()}).exitCode, 0);
    const QString program = root.filePath("usr/bin/quillbrook");

    const Outcome version = Execute(program, {"--version"});
    EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
    EXPECT_TRUE(version.out.startsWith("Quillbrook Personal Firewall " QB_VERSION))
        << version.out.toStdString();
    const Outcome help = Execute(program, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--help", "--version", "--minimized"})
        EXPECT_TRUE(help.out.contains(QLatin1StringView(option))) << option << "\n" << help.out.toStdString();
    for (const QStringList& wrong : {QStringList{"--no-such-option"}, QStringList{"stray"}}) {
        const Outcome refused = Execute(program, wrong);
        EXPECT_EQ(refused.exitCode, 2) << wrong.front().toStdString();
        EXPECT_TRUE(refused.err.contains("--help")) << refused.err.toStdString();
    }

    // The validators are optional here; the test command installs desktop-file-validate.
    if (Installed("desktop-file-validate")) {
        const Outcome validate =
            Execute("desktop-file-validate", {root.filePath("usr/share/applications/quillbrook.desktop")});
        EXPECT_EQ(validate.exitCode, 0) << validate.out.toStdString();
    }
    if (Installed("lintian")) {
        const Outcome lintian = Execute("lintian", {"--no-tag-display-limit", s_deb}, 240000);
        EXPECT_FALSE(lintian.out.contains(QRegularExpression("^E: ", QRegularExpression::MultilineOption)))
            << lintian.out.toStdString();
    }
}

} // namespace
} // namespace qb
