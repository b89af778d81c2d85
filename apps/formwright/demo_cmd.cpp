// "demo": converts and dumps the sample forms, checking that each survives a round trip.
#include "cli.h"
#include "formfile.h"

#include "basert/exceptions.h"
#include "basert/safesave.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

using namespace fwcli;
namespace fs = std::filesystem;

// Converts one sample to the other format and back, and prints its tree.
bool Tour(const fs::path& path, const fs::path& work) {
  FormFile file;
  LoadFormFile(path.string(), file);
  FormFormat other = file.Format == FormFormat::Text ? FormFormat::Binary : FormFormat::Text;

  fw::TMemoryStream canonical, converted, back;
  Convert(file, file.Format, canonical);
  Convert(file, other, converted);
  fs::path middle = work / (path.stem().string() + (other == FormFormat::Text ? ".fwf" : ".fwb"));
  fw::SaveAtomically(middle.string(), converted.View());

  FormFile again;
  LoadFormFile(middle.string(), again);
  Convert(again, file.Format, back);
  bool same = back.View() == canonical.View();
  std::printf("%s: %s, %lld bytes -> %s, %lld bytes -> %s again: %s\n", path.filename().c_str(),
              FormatName(file.Format), static_cast<long long>(file.Data().size()),
              FormatName(other), static_cast<long long>(converted.Size()), FormatName(file.Format),
              same ? "identical" : "DIFFERENT");
  fw::TMemoryStream binary;
  ToBinary(file, binary);
  DumpTree(binary, stdout);
  std::printf("\n");
  return same;
}

int RunDemo(const fs::path& dir) {
  std::error_code ec;
  std::vector<fs::path> samples;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (e.path().extension() == ".fwf" || e.path().extension() == ".fwb")
      samples.push_back(e.path());
  if (ec || samples.empty()) {
    std::fprintf(stderr, "formwright demo: no sample forms (*.fwf, *.fwb) in %s\n", dir.c_str());
    return 1;
  }
  std::sort(samples.begin(), samples.end());
  fs::path work = fs::temp_directory_path() / ("formwright-demo-" + std::to_string(::getpid()));
  fs::create_directories(work);
  int failures = 0;
  for (const auto& p : samples) {
    try {
      if (!Tour(p, work)) ++failures;
    } catch (const fw::Exception& e) {
      std::fprintf(stderr, "formwright demo: %s: %s\n", p.c_str(), e.what());
      ++failures;
    }
  }
  fs::remove_all(work, ec);
  std::printf("%zu sample forms, %d failed\n", samples.size(), failures);
  return failures ? 1 : 0;
}

Runner Define(CLI::App& app) {
  auto dir = std::make_shared<std::string>("examples/forms");
  app.add_option("DIR", *dir, "the folder of sample forms (*.fwf, *.fwb)")->capture_default_str();
  app.footer("Each sample is converted to the other format and back, which must give it again "
             "byte for byte, and its component tree is printed.");
  return [dir] { return RunDemo(*dir); };
}

const CommandRegistrar reg({"demo", "demo [DIR]", "convert and dump the sample forms in DIR",
                            Define});

} // namespace
