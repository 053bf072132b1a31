// The wizard's Qt Test suites register themselves here; main runs one suite
// by name (as ctest does) or all of them.
#pragma once

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace dravik::test {

using SuiteFactory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, SuiteFactory>& Suites();

struct SuiteRegistration {
    SuiteRegistration(const char* name, SuiteFactory factory) { Suites()[name] = std::move(factory); }
};

}  // namespace dravik::test

#define DRAVIK_WIZARD_SUITE(Class) \
    static ::dravik::test::SuiteRegistration registration##Class(#Class, [] { return std::make_unique<Class>(); })
