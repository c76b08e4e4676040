// The per-request codecs: a tools/call line in, its record decoded and re-encoded, the bridge
// line written and a large answer line decoded.
#include <benchmark/benchmark.h>

#include <string>

#include "mcp/incoming_message.hpp"
#include "mcp_bridge/wire.hpp"
#include "mcp_server/reads.hpp"
#include "mcp_server/record.hpp"

namespace {

using mcp::Json;

const std::string tool_call_line =
    R"({"jsonrpc":"2.0","id":42,"method":"tools/call","params":{"name":"search-transcripts",)"
    R"("arguments":{"query":"quarterly budget review","limit":20,"speaker_label":"Dana"}}})";

void classify_tool_call_line(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(mcp::classify_line(tool_call_line));
  }
}
BENCHMARK(classify_tool_call_line);

void decode_and_encode_arguments(benchmark::State& state) {
  const Json arguments = {
      {"query", "quarterly budget review"}, {"limit", 20}, {"speaker_label", "Dana"}};
  for (auto _ : state) {
    auto record = mcp_server::decode_record<mcp_server::SearchTranscriptsArgs>(arguments);
    benchmark::DoNotOptimize(mcp_server::encode_record(*record));
  }
}
BENCHMARK(decode_and_encode_arguments);

void encode_tool_request(benchmark::State& state) {
  const mcp_bridge::BridgeRequest request{
      mcp_bridge::ClientIdentity{"desktop-client", "1.0.0"},
      mcp_bridge::McpTool{"search-transcripts",
                          Json{{"limit", 20}, {"meeting_id", nullptr}, {"query", "budget"}}}};
  for (auto _ : state) {
    benchmark::DoNotOptimize(mcp_bridge::encode_request(request));
  }
}
BENCHMARK(encode_tool_request);

// A transcript-sized structured answer: `segments` segments of about 100 bytes each.
std::string structured_answer(int segments) {
  Json lines = Json::array();
  for (int i = 0; i < segments; ++i) {
    lines.push_back({{"speaker", "Speaker " + std::to_string(i % 4)},
                     {"at", "00:12:" + std::to_string(i % 60)},
                     {"text", "We agreed to move the launch review to next Thursday."}});
  }
  return Json{{"kind", "structured"}, {"value", {{"segments", std::move(lines)}}}}.dump();
}

void decode_structured_answer(benchmark::State& state) {
  const std::string line = structured_answer(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(mcp_bridge::decode_reply(line));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}
BENCHMARK(decode_structured_answer)->Arg(10)->Arg(10'000);

}  // namespace
