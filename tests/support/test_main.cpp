// Test entry point: a QApplication for widget tests (the offscreen platform comes from the ctest
// environment), none while ctest only lists the tests at build time.
#include <QApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>

int main(int argc, char** argv)
{
    std::optional<QApplication> app;
    if (std::none_of(argv + 1, argv + argc,
                     [](const char* arg) { return std::strcmp(arg, "--gtest_list_tests") == 0; }))
        app.emplace(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
