#include "NetworkModule.h"

// Test programs live outside a bundle: the ones that go online load the build's network module.
namespace {
const bool pointedAtBuiltModule = [] {
    NetworkModule::setPathOverride(QStringLiteral(NULLWELL_NETWORK_MODULE));
    return true;
}();
} // namespace
