// Every form file of the repository, as the binary stream it holds.
#pragma once

#include "basert/formtext.h"
#include "basert/streams.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fwtest {

struct TFormFile {
  std::string Path;
  std::string Binary; ///< "TPF0" and the component
  std::string Text;   ///< the file's text (empty for a binary file)
  fw::TTextSyntax Syntax = fw::TTextSyntax::Standard;
};

/// The forms under tests/data and examples, text and binary (resource-wrapped or plain).
inline std::vector<TFormFile> RepositoryForms() {
  namespace fs = std::filesystem;
  std::vector<TFormFile> forms;
  for (const char* dir : {FW_TEST_DATA_DIR, FW_TEST_DATA_DIR "/../../examples"}) {
    std::vector<fs::path> paths;
    for (const auto& e : fs::recursive_directory_iterator(dir))
      if (e.is_regular_file() && (e.path().extension() == ".fwf" || e.path().extension() == ".fwb"))
        paths.push_back(e.path());
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
      std::ifstream in(path, std::ios::binary);
      std::stringstream ss;
      ss << in.rdbuf();
      TFormFile f;
      f.Path = path.string();
      const std::string data = ss.str();
      fw::TStringStream src(data);
      fw::TMemoryStream bin;
      if (fw::TestStreamFormat(src) == fw::sofBinary) {
        if (data.compare(0, 4, "TPF0") != 0) fw::ReadResourceHeader(src);
        bin.CopyFrom(src, src.Size() - src.Position());
      } else {
        f.Text = data;
        if (path.parent_path().filename() == "exact") f.Syntax = fw::TTextSyntax::Exact;
        fw::ObjectTextToBinary(src, bin, f.Syntax);
      }
      f.Binary = std::string(bin.View());
      forms.push_back(std::move(f));
    }
  }
  return forms;
}

} // namespace fwtest
