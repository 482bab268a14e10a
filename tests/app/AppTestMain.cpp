#include <QApplication>
#include <QTest>
#include <cstring>
#include <memory>

#include "tests/app/AppTestRig.h"

// Runs every registered test class, or only the one named by the first argument.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    int failures = 0;
    int ran = 0;
    for (const auto& [name, create] : corvane::test::TestClasses()) {
        if (only == nullptr || std::strcmp(only, name) == 0) {
            ++ran;
            std::unique_ptr<QObject> tests(create());
            failures += QTest::qExec(tests.get(), argc - (only ? 1 : 0), argv + (only ? 1 : 0));
        }
    }
    return failures == 0 && ran > 0 ? 0 : 1;
}
