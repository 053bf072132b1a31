// Runs the wizard's Qt Test suites: "test_wizard SUITE [qtest options]" runs
// one, "test_wizard" runs every suite.
#include "suites.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace dravik::test {

std::map<std::string, SuiteFactory>& Suites() {
    static std::map<std::string, SuiteFactory> suites;
    return suites;
}

}  // namespace dravik::test

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    auto& suites = dravik::test::Suites();

    if (argc > 1 && argv[1][0] != '-') {
        const auto found = suites.find(argv[1]);
        if (found == suites.end()) {
            std::fprintf(stderr, "no suite named %s\n", argv[1]);
            return 2;
        }
        // The suite's name stands where QTest expects the program name.
        const auto suite = found->second();
        return QTest::qExec(suite.get(), argc - 1, argv + 1);
    }
    int failures = 0;
    for (const auto& [name, factory] : suites) {
        const auto suite = factory();
        failures += QTest::qExec(suite.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
