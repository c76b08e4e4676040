// prompts/list and prompts/get end to end: the listing, every outcome of the bridge as the
// prompt's text, the argument errors, and no prompts at all in library mode.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "bridge_session.hpp"

namespace e2e {
namespace {

using test_support::Behaviour;

const std::string summarize_description =
    "Generate comprehensive meeting notes with overview, topics, key discussion points, "
    "decisions, and action items.";
const std::string action_items_description =
    "Extract action items, commitments, and follow-ups from a meeting transcript. Identifies "
    "tasks, owners, and deadlines.";

Json prompt_answer(const std::string& description, const std::string& text) {
  return Json{{"result",
               {{"description", description},
                {"messages", Json::array({{{"role", "user"},
                                           {"content", {{"type", "text"}, {"text", text}}}}})}}}};
}

Json get_prompt(test_support::VeltuProcess& veltu, const std::string& name, const Json& arguments) {
  Json params = {{"name", name}};
  if (!arguments.is_null()) {
    params["arguments"] = arguments;
  }
  return answer_of(veltu.request("prompts/get", params));
}

TEST(PromptsList, ListsBothPromptsByNameWithTheirOneArgumentAndNoDescription) {
  AppSession session;
  const Json argument = {
      {"description", "The meeting ID"}, {"name", "meeting_id"}, {"required", true}};
  EXPECT_EQ(
      answer_of(session.veltu->request("prompts/list")),
      (Json{{"result",
             {{"prompts",
               Json::array(
                   {{{"arguments", Json::array({argument})}, {"name", "find-action-items"}},
                    {{"arguments", Json::array({argument})}, {"name", "summarize-meeting"}}})}}}}));
}

struct PromptCase {
  std::string name;
  std::string reply_line;  // empty: the app closes without answering
  std::string text;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const PromptCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<PromptCase> prompt_cases = {
    {"Prompt", R"({"kind":"prompt","text":"Summarise meeting m1:\n..."})",
     "Summarise meeting m1:\n..."},
    {"Failed", R"({"kind":"failed","message":"Meeting m1 has no transcript"})",
     "Meeting m1 has no transcript"},
    {"NotFound", R"({"kind":"notFound","message":"m1"})", "Unexpected reply from veltu."},
    {"Text", R"({"kind":"text","message":"hi","isError":false})", "Unexpected reply from veltu."},
    {"Structured", R"({"kind":"structured","value":{}})", "Unexpected reply from veltu."},
    {"Resource", R"({"kind":"resource","text":"t","uri":"u"})", "Unexpected reply from veltu."},
    {"ResourceList", R"({"kind":"resourceList","entries":[]})", "Unexpected reply from veltu."},
    {"ClosedWithoutAnswer", "", "veltu isn't running. Open the app, then retry."},
};

class PromptOutcome : public testing::TestWithParam<PromptCase> {};

TEST_P(PromptOutcome, BecomesTheTextOfTheOneUserMessage) {
  AppSession session;
  session.app.always(reply_or_close(GetParam().reply_line));
  EXPECT_EQ(get_prompt(*session.veltu, "summarize-meeting", {{"meeting_id", "m1"}}),
            prompt_answer(summarize_description, GetParam().text));
  EXPECT_EQ(get_prompt(*session.veltu, "find-action-items",
                       {{"meeting_id", "m 2 "}, {"extra", "dropped"}}),
            prompt_answer(action_items_description, GetParam().text));
  EXPECT_EQ(session.app.requests(),
            (std::vector<std::string>{
                named_request_line("mcpPrompt", "summarize-meeting", {{"meeting_id", "m1"}}),
                named_request_line("mcpPrompt", "find-action-items", {{"meeting_id", "m 2 "}})}));
}

INSTANTIATE_TEST_SUITE_P(EveryReply, PromptOutcome, testing::ValuesIn(prompt_cases),
                         [](const testing::TestParamInfo<PromptCase>& info) {
                           return info.param.name;
                         });

TEST(PromptWithoutApp, AppDownAndNoBridgeAreTheTextOfASuccessfulResult) {
  AppDownSession down;
  EXPECT_EQ(get_prompt(*down.veltu, "summarize-meeting", {{"meeting_id", "m1"}}),
            prompt_answer(summarize_description, "veltu isn't running. Open the app, then retry."));
  NoBridgeSession no_bridge;
  EXPECT_EQ(get_prompt(*no_bridge.veltu, "find-action-items", {{"meeting_id", "m1"}}),
            prompt_answer(action_items_description, "App bridge unavailable in this build."));
}

TEST(PromptArguments, ArgumentsThatDoNotDecodeAreRefusedBeforeAnythingIsSent) {
  struct Case {
    Json arguments;  // null: no "arguments" member
    std::string message;
  };
  const std::vector<Case> cases = {
      {nullptr, "Missing required parameters: missing field `meeting_id`"},
      {Json::object(), "Failed to parse parameters: missing field `meeting_id`"},
      {{{"other", "x"}}, "Failed to parse parameters: missing field `meeting_id`"},
      {{{"meeting_id", 7}},
       "Failed to parse parameters: invalid type: integer `7`, expected a string"},
  };
  AppSession session;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(get_prompt(*session.veltu, "summarize-meeting", c.arguments),
              error_answer(-32602, c.message));
  }
  EXPECT_TRUE(session.app.requests().empty());
}

TEST(PromptLookup, UnknownNameListsTheAvailablePrompts) {
  AppSession session;
  EXPECT_EQ(
      get_prompt(*session.veltu, "Summarize-meeting", {{"meeting_id", "m1"}}),
      (Json{
          {"error",
           {{"code", -32602},
            {"message", "prompt 'Summarize-meeting' not found"},
            {"data",
             {{"available_prompts", Json::array({"find-action-items", "summarize-meeting"})}}}}}}));
  EXPECT_TRUE(session.app.requests().empty());
}

TEST(PromptsInLibraryMode, NoneAreListedAndNoneAreFound) {
  AppSession session(Mode::library);
  EXPECT_EQ(answer_of(session.veltu->request("prompts/list")),
            (Json{{"result", {{"prompts", Json::array()}}}}));
  for (const std::string name : {"summarize-meeting", "find-action-items"}) {
    EXPECT_EQ(get_prompt(*session.veltu, name, {{"meeting_id", "m1"}}),
              (Json{{"error",
                     {{"code", -32602},
                      {"message", "prompt '" + name + "' not found"},
                      {"data", {{"available_prompts", Json::array()}}}}}}));
  }
  EXPECT_TRUE(session.app.requests().empty());
}

}  // namespace
}  // namespace e2e
