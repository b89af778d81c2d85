// Throughput of the form-stream conversions on generated forms with mixed property kinds.
#include "basert/formtext.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace {

// A form of `count` components: controls with integers, strings, identifiers, sets, floats,
// booleans, string lists, collections and small binary blobs, nested a few levels deep.
std::string GenerateText(int count) {
  std::string s = "object MainForm: TMainForm\r\n  Left = 0\r\n  Caption = 'Generated'\r\n";
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    s += "  object Control" + n + ": TControlKind" + std::to_string(i % 7) + "\r\n";
    s += "    Left = " + std::to_string(i * 8 % 1000) + "\r\n";
    s += "    Top = " + std::to_string(i * 13 % 700) + "\r\n";
    s += "    Width = " + std::to_string(75 + i % 50) + "\r\n";
    s += "    Tag = " + std::to_string(i * 100003) + "\r\n";
    s += "    Caption = 'Control number " + n + " it''s here'\r\n";
    s += "    Color = clBtnFace\r\n";
    s += "    Anchors = [akLeft, akTop, akRight]\r\n";
    s += "    Visible = True\r\n";
    s += "    Ratio = 0." + std::to_string(i % 97 + 1) + "\r\n";
    s += "    OnClick = Control" + n + "Click\r\n";
    if (i % 4 == 0)
      s += "    Items.Strings = (\r\n      'first'\r\n      'second'#13#10'line'\r\n      "
           "'caf'#233)\r\n";
    if (i % 5 == 0)
      s += "    Columns = <\r\n      item\r\n        Width = 64\r\n        Title = 'A'\r\n      "
           "end\r\n"
           "      item\r\n        Width = 80\r\n      end>\r\n";
    if (i % 10 == 0) s += "    Glyph.Data = {\r\n      0102030405060708090A0B0C0D0E0F10}\r\n";
    s += "  end\r\n";
  }
  s += "end\r\n";
  return s;
}

struct Sample {
  std::string Text, Binary;
};

const Sample& SampleOf(int count) {
  static std::map<int, Sample> cache;
  auto it = cache.find(count);
  if (it != cache.end()) return it->second;
  Sample sample;
  fw::TStringStream text(GenerateText(count));
  fw::TMemoryStream binary, canonical;
  fw::ObjectTextToBinary(text, binary);
  binary.SetPosition(0);
  fw::ObjectBinaryToText(binary, canonical);
  sample.Text = std::string(canonical.View());
  sample.Binary = std::string(binary.View());
  return cache.emplace(count, std::move(sample)).first->second;
}

void Counters(benchmark::State& state, const Sample& s, std::size_t processed) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * processed));
  state.counters["text_bytes"] = static_cast<double>(s.Text.size());
  state.counters["binary_bytes"] = static_cast<double>(s.Binary.size());
}

void BM_TextToBinary(benchmark::State& state) {
  const Sample& s = SampleOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    fw::TStringStream in(s.Text);
    fw::TMemoryStream out;
    fw::ObjectTextToBinary(in, out);
    benchmark::DoNotOptimize(out.Memory());
  }
  Counters(state, s, s.Text.size());
}

void BM_BinaryToText(benchmark::State& state) {
  const Sample& s = SampleOf(static_cast<int>(state.range(0)));
  fw::TMemoryStream in;
  in.WriteBuffer(s.Binary.data(), static_cast<int64_t>(s.Binary.size()));
  for (auto _ : state) {
    in.SetPosition(0);
    fw::TMemoryStream out;
    fw::ObjectBinaryToText(in, out);
    benchmark::DoNotOptimize(out.Memory());
  }
  Counters(state, s, s.Binary.size());
}

BENCHMARK(BM_TextToBinary)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinaryToText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
