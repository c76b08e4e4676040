#include "mcp_server/mcp_server.hpp"

#include <gtest/gtest.h>

#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>
#include <asio/use_future.hpp>
#include <atomic>
#include <string>
#include <vector>

#include "mcp_server/resources.hpp"

namespace {

using mcp::Json;
using mcp_server::McpServer;

template <class T>
T run(asio::awaitable<T> task) {
  asio::io_context io;
  auto result = asio::co_spawn(io, std::move(task), asio::use_future);
  io.run();
  return result.get();
}

mcp::Result<Json> call(McpServer& server, const std::string& method, Json params = nullptr) {
  return run(server.handle_request(method, std::move(params)));
}

Json answer(const mcp::Result<Json>& result) {
  return result ? Json{{"result", *result}} : Json{{"error", result.error().to_json()}};
}

Json error(int code, const std::string& message) {
  return {{"error", {{"code", code}, {"message", message}}}};
}

// Tools that record what they were given: "echo" answers its arguments as structured content,
// "refuse" answers a -32602 error; the task tools differ only in their declared task support.
struct Recorder {
  std::atomic<int> calls{0};
  std::vector<Json> arguments;
};

mcp_server::ToolCatalogue test_catalogue(Recorder& recorder) {
  mcp_server::ToolCatalogue catalogue;
  auto add = [&](std::string name, mcp::TaskSupport support, bool refuse) {
    mcp::ToolDescriptor descriptor{
        name, "The " + name + " tool", std::make_shared<const Json>(Json{{"type", "object"}}),
        mcp::ToolAnnotations{true, std::nullopt, std::nullopt, false}, support};
    catalogue.insert({std::move(descriptor),
                      [&recorder, refuse](const McpServer&, Json arguments)
                          -> asio::awaitable<mcp_server::ToolOutcome> {
                        ++recorder.calls;
                        recorder.arguments.push_back(arguments);
                        if (refuse) {
                          co_return mcp::rpc_error(mcp::error_code::invalid_params, "refused");
                        }
                        co_return mcp::ToolResult::structured(Json{{"got", std::move(arguments)}});
                      }});
  };
  add("echo", mcp::TaskSupport::forbidden, false);
  add("refuse", mcp::TaskSupport::forbidden, true);
  add("needs-task", mcp::TaskSupport::required, false);
  add("may-task", mcp::TaskSupport::optional, false);
  return catalogue;
}

mcp_server::PromptRouter test_prompts(Recorder& recorder) {
  mcp_server::PromptRouter prompts;
  for (const char* name : {"zeta", "alpha"}) {
    prompts.insert(
        {mcp::PromptDescriptor{name, std::nullopt, {}},
         [&recorder, name](const McpServer&, Json arguments) -> asio::awaitable<mcp::Result<Json>> {
           ++recorder.calls;
           recorder.arguments.push_back(arguments);
           co_return Json{{"prompt", name}};
         }});
  }
  return prompts;
}

TEST(McpServerTools, TaskChecksComeBeforeTheLookup) {
  Recorder recorder;
  McpServer server("/tmp/nowhere", test_catalogue(recorder), {}, false);
  struct Case {
    Json params;
    Json answer;
  };
  const Json task = {{"ttl", 60000}};
  const Case cases[] = {
      {{{"name", "needs-task"}}, error(-32601, "Tool requires task-based invocation")},
      {{{"name", "needs-task"}, {"task", nullptr}},
       error(-32601, "Tool requires task-based invocation")},
      {{{"name", "needs-task"}, {"task", task}}, error(-32603, "Task processing not implemented")},
      {{{"name", "may-task"}, {"task", task}}, error(-32603, "Task processing not implemented")},
      {{{"name", "echo"}, {"task", task}},
       error(-32602, "Tool does not support task-based invocation")},
      {{{"name", "echo"}, {"task", Json::object()}},
       error(-32602, "Tool does not support task-based invocation")},
      {{{"name", "missing"}, {"task", task}}, error(-32603, "Task processing not implemented")},
      {{{"name", "missing"}}, error(-32602, "tool not found")},
      {{{"name", "Echo"}}, error(-32602, "tool not found")},
      {{{"name", 1}}, error(-32602, "tool not found")},
      {Json::object(), error(-32602, "tool not found")},
      {nullptr, error(-32602, "tool not found")},
      {Json::array({"echo"}), error(-32602, "tool not found")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(answer(call(server, "tools/call", c.params)), c.answer) << c.params.dump();
  }
  EXPECT_EQ(recorder.calls, 0);
}

TEST(McpServerTools, RunsTheEntryWithItsArguments) {
  Recorder recorder;
  McpServer server(std::nullopt, test_catalogue(recorder), {}, false);
  EXPECT_EQ(
      answer(call(server, "tools/call", {{"name", "echo"}, {"arguments", {{"meeting_id", "7"}}}})),
      (Json{{"result",
             {{"content", Json::array()},
              {"isError", false},
              {"structuredContent", {{"got", {{"meeting_id", "7"}}}}}}}}));
  EXPECT_EQ(answer(call(server, "tools/call", {{"name", "echo"}, {"task", nullptr}})),
            (Json{{"result",
                   {{"content", Json::array()},
                    {"isError", false},
                    {"structuredContent", {{"got", nullptr}}}}}}));
  EXPECT_EQ(answer(call(server, "tools/call", {{"name", "refuse"}, {"arguments", {1, 2}}})),
            error(-32602, "refused"));
  EXPECT_EQ(recorder.arguments, (std::vector<Json>{{{"meeting_id", "7"}}, nullptr, {1, 2}}));
}

TEST(McpServerTools, ListsAreBuiltFromTheRegistries) {
  Recorder recorder;
  McpServer server(std::nullopt, test_catalogue(recorder), test_prompts(recorder), false);
  const auto tools = call(server, "tools/list", {{"cursor", "ignored"}});
  ASSERT_TRUE(tools.has_value());
  EXPECT_EQ(*tools, (Json{{"tools", server.tools().list()}}));
  std::vector<std::string> names;
  for (const auto& tool : (*tools)["tools"]) {
    names.push_back(tool["name"]);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"echo", "may-task", "needs-task", "refuse"}));
  EXPECT_EQ(answer(call(server, "prompts/list")),
            (Json{{"result", {{"prompts", {{{"name", "alpha"}}, {{"name", "zeta"}}}}}}}));
}

TEST(McpServerPrompts, UnknownNamesListTheAvailablePrompts) {
  Recorder recorder;
  McpServer server(std::nullopt, {}, test_prompts(recorder), false);
  const Json available = {{"available_prompts", {"alpha", "zeta"}}};
  struct Case {
    Json params;
    std::string message;
  };
  const Case cases[] = {
      {{{"name", "summarize-meeting"}}, "prompt 'summarize-meeting' not found"},
      {{{"name", "Alpha"}}, "prompt 'Alpha' not found"},
      {{{"name", 3}}, "prompt '' not found"},
      {nullptr, "prompt '' not found"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(answer(call(server, "prompts/get", c.params)),
              (Json{{"error", {{"code", -32602}, {"message", c.message}, {"data", available}}}}))
        << c.params.dump();
  }
  McpServer without_prompts(std::nullopt, {}, {}, true);
  EXPECT_EQ(answer(call(without_prompts, "prompts/get", {{"name", "summarize-meeting"}})),
            (Json{{"error",
                   {{"code", -32602},
                    {"message", "prompt 'summarize-meeting' not found"},
                    {"data", {{"available_prompts", Json::array()}}}}}}));
  EXPECT_EQ(recorder.calls, 0);
}

TEST(McpServerPrompts, KnownNamesRunTheirHandler) {
  Recorder recorder;
  McpServer server(std::nullopt, {}, test_prompts(recorder), false);
  EXPECT_EQ(
      answer(call(server, "prompts/get", {{"name", "zeta"}, {"arguments", {{"meeting_id", "m"}}}})),
      (Json{{"result", {{"prompt", "zeta"}}}}));
  EXPECT_EQ(answer(call(server, "prompts/get", {{"name", "alpha"}})),
            (Json{{"result", {{"prompt", "alpha"}}}}));
  EXPECT_EQ(recorder.arguments, (std::vector<Json>{{{"meeting_id", "m"}}, nullptr}));
}

TEST(McpServerRouting, FixedAnswersAndMethodsNotOffered) {
  McpServer server(std::nullopt, {}, {}, false);
  EXPECT_EQ(answer(call(server, "ping")), (Json{{"result", Json::object()}}));
  EXPECT_EQ(answer(call(server, "completion/complete", {{"argument", {{"value", "x"}}}})),
            (Json{{"result", {{"completion", {{"values", Json::array()}}}}}}));
  for (const char* method : {"logging/setLevel", "resources/subscribe", "resources/unsubscribe",
                             "tasks/get", "tasks/list", "tasks/result", "tasks/cancel", "foo/bar",
                             "notifications/initialized", "PING"}) {
    EXPECT_EQ(answer(call(server, method)), error(-32601, method));
  }
  for (bool library_mode : {false, true}) {
    McpServer moded(std::nullopt, {}, {}, library_mode);
    EXPECT_EQ(answer(call(moded, "resources/templates/list")),
              (Json{{"result", mcp_server::resource_templates_result(library_mode)}}));
  }
}

TEST(McpServerInitialize, DescribesTheServerForEachMode) {
  McpServer normal(std::nullopt, {}, {}, false);
  McpServer library(std::nullopt, {}, {}, true);
  const Json normal_description = normal.initialize(Json::object());
  const Json library_description = library.initialize(Json::object());
  EXPECT_EQ(normal_description["capabilities"], (Json{{"prompts", Json::object()},
                                                      {"resources", Json::object()},
                                                      {"tools", Json::object()}}));
  EXPECT_EQ(library_description["capabilities"], (Json{{"tools", Json::object()}}));
  EXPECT_EQ(normal_description["instructions"].get<std::string>().size(), 191u);
  EXPECT_EQ(library_description["instructions"].get<std::string>().size(), 450u);
  for (const Json* description : {&normal_description, &library_description}) {
    EXPECT_EQ((*description)["protocolVersion"], "2025-06-18");
    EXPECT_EQ((*description)["serverInfo"], (Json{{"name", "veltu"}, {"version", "1.15.2"}}));
    EXPECT_EQ(description->size(), 4u);
  }
  EXPECT_EQ(answer(call(library, "initialize", Json::object())),
            (Json{{"result", library_description}}));
}

TEST(McpServerInitialize, OffersTheClientIdentityOnce) {
  struct Case {
    Json params;
    std::optional<mcp_bridge::ClientIdentity> recorded;
  };
  const Case cases[] = {
      {{{"clientInfo", {{"name", "claude"}, {"version", "1.2"}}}},
       mcp_bridge::ClientIdentity{"claude", "1.2"}},
      {{{"clientInfo", {{"name", "claude"}}}}, mcp_bridge::ClientIdentity{"claude", std::nullopt}},
      {{{"clientInfo", {{"name", "claude"}, {"version", 3}}}},
       mcp_bridge::ClientIdentity{"claude", std::nullopt}},
      {{{"clientInfo", {{"name", ""}, {"version", ""}}}}, mcp_bridge::ClientIdentity{"", ""}},
      {{{"clientInfo", {{"version", "1.2"}}}}, std::nullopt},
      {{{"clientInfo", {{"name", 5}}}}, std::nullopt},
      {{{"clientInfo", "claude"}}, std::nullopt},
      {Json::object(), std::nullopt},
      {nullptr, std::nullopt},
  };
  for (const Case& c : cases) {
    McpServer server("/tmp/nowhere", {}, {}, false);
    server.initialize(c.params);
    server.initialize({{"clientInfo", {{"name", "second"}, {"version", "9"}}}});
    const mcp_bridge::ClientIdentity* recorded = server.bridge()->client_identity().get();
    const mcp_bridge::ClientIdentity expected =
        c.recorded.value_or(mcp_bridge::ClientIdentity{"second", "9"});
    ASSERT_NE(recorded, nullptr) << c.params.dump();
    EXPECT_EQ(*recorded, expected) << c.params.dump();
  }
}

TEST(McpServerInitialize, BridgeFollowsTheDirectory) {
  McpServer with_bridge("/a/b", {}, {}, false);
  ASSERT_NE(with_bridge.bridge(), nullptr);
  EXPECT_EQ(with_bridge.bridge()->data_dir(), "/a/b");
  EXPECT_EQ(with_bridge.bridge()->client_identity().get(), nullptr);
  McpServer in_working_dir("", {}, {}, false);
  ASSERT_NE(in_working_dir.bridge(), nullptr);
  EXPECT_EQ(in_working_dir.bridge()->data_dir(), "");
  McpServer without(std::nullopt, {}, {}, true);
  EXPECT_EQ(without.bridge(), nullptr);
  EXPECT_TRUE(without.library_mode());
  EXPECT_EQ(without.initialize({{"clientInfo", {{"name", "x"}}}})["serverInfo"]["name"], "veltu");
}

}  // namespace
