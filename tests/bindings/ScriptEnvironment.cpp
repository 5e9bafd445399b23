#include "ScriptEnvironment.h"

#include <gtest/gtest.h>

#include "tests/support/ValueClassEngine.h"

namespace bindings::test {

namespace {

engine::ScriptApi g_api;

class ScriptEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ::test::startEngineWithValueClasses(g_api);
    g_api.eval_string(R"(
      def __quillon_probe
        yield.to_s
      rescue Exception => error
        "#{error.class}: #{error.message}"
      end
    )");
  }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ScriptEnvironment);

}  // namespace

engine::ScriptApi& api() { return g_api; }

std::string run(const std::string& code) {
  std::string wrapped = "__quillon_probe {\n" + code + "\n}";
  int state = 0;
  engine::Value result = g_api.eval_string_protect(wrapped.c_str(), &state);
  if (state != 0) {
    return "uncaught error";
  }
  return std::string(g_api.string_ptr(result), static_cast<std::size_t>(g_api.string_length(result)));
}

}  // namespace bindings::test
