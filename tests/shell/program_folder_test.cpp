#include "shell/program_folder.h"
#include "support/temp_home.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace qb {
namespace {

using test::TempHome;

TEST(ProgramFolderTest, AWritableExecutableFolderIsUsedOtherwiseThePerUserDataFolderIsCreated)
{
    TempHome home;
    EXPECT_EQ(ProgramFolderFor(home.Path(), home.DataHome()), home.Path() + "/");
    EXPECT_EQ(ProgramFolderFor(home.Path() + "/", home.DataHome()), home.Path() + "/");
    TempHome::WriteAll(home.Path() + "/not-a-folder", "");
    for (const QString& executableFolder :
         {home.Path() + "/missing", home.Path() + "/not-a-folder", QString()}) {
        const QString folder = ProgramFolderFor(executableFolder, home.DataHome());
        EXPECT_EQ(folder, home.DataHome() + "/Quillbrook/") << executableFolder.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir());
    }
    // The test binary's own folder is writable.
    EXPECT_EQ(ProgramFolder(), QCoreApplication::applicationDirPath() + "/");
}

} // namespace
} // namespace qb
