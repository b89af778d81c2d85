// "inspect": the property inspector's rows for a selection of a form file's components.
#include "cli.h"
#include "inspector.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

using namespace fwcli;

// Long values are cut in the table, as the inspector's column cuts them; JSON keeps them whole.
constexpr std::size_t kValueColumn = 40;

std::string Attributes(const fw::TPropertyAttributes& attributes) {
  std::string text;
  for (int a = 0; a <= fw::paValueEditable; ++a)
    if (attributes.Contains(static_cast<fw::TPropertyAttribute>(a)))
      (text += text.empty() ? "" : ",") += AttributeName(static_cast<fw::TPropertyAttribute>(a));
  return text;
}

nlohmann::ordered_json Json(const std::vector<TInspectedProperty>& rows) {
  auto list = nlohmann::ordered_json::array();
  for (const TInspectedProperty& row : rows) {
    nlohmann::ordered_json attributes = nlohmann::ordered_json::array();
    for (int a = 0; a <= fw::paValueEditable; ++a)
      if (row.Attributes.Contains(static_cast<fw::TPropertyAttribute>(a)))
        attributes.push_back(AttributeName(static_cast<fw::TPropertyAttribute>(a)));
    nlohmann::ordered_json item = {{"name", row.Name},
                                   {"value", row.Value},
                                   {"attributes", std::move(attributes)},
                                   {"category", row.Category},
                                   {"writable", row.Writable}};
    if (!row.Properties.empty()) item["properties"] = Json(row.Properties);
    list.push_back(std::move(item));
  }
  return list;
}

void Widths(const std::vector<TInspectedProperty>& rows, int depth, std::size_t& name,
            std::size_t& value) {
  for (const TInspectedProperty& row : rows) {
    name = std::max(name, 2 * depth + DisplayWidth(row.Name));
    value = std::max(value, std::min(DisplayWidth(row.Value), kValueColumn));
    Widths(row.Properties, depth + 1, name, value);
  }
}

void Table(const std::vector<TInspectedProperty>& rows, int depth, std::size_t name,
           std::size_t value) {
  for (const TInspectedProperty& row : rows) {
    // Padded by columns shown, not bytes, so that rows with non-ASCII text line up.
    std::printf("%*s%s  %s  %s  %s\n", 2 * depth, "", FitColumn(row.Name, name - 2 * depth).c_str(),
                FitColumn(row.Value, value).c_str(), row.Category.c_str(),
                Attributes(row.Attributes).c_str());
    Table(row.Properties, depth + 1, name, value);
  }
}

struct Options {
  std::string Form;
  std::vector<std::string> Select;
  std::vector<std::string> Packages;
  bool Json = false;
  bool Events = false;
};

int RunInspect(const Options& o) {
  TDesignSession session(o.Packages);
  TOpenForm& form = session.Open(o.Form);
  ReportSkipped("inspect", form);
  const auto rows = InspectProperties(form, SelectComponents(form, o.Select),
                                      o.Events ? fw::tkMethods : fw::tkProperties);
  if (o.Json) {
    const std::string text = Json(rows).dump(2);
    std::printf("%s\n", text.c_str());
    return 0;
  }
  std::size_t name = 0, value = 0;
  Widths(rows, 0, name, value);
  Table(rows, 0, name, value);
  return 0;
}

Runner Define(CLI::App& app) {
  auto o = std::make_shared<Options>();
  app.add_option("FORM", o->Form, "a form file, binary or text")->required();
  app.add_option("--select", o->Select,
                 "the components to inspect, by name (the root by its own, a frame's "
                 "components through the frame: Frame1.Edit1); default: the root")
      ->delimiter(',')
      ->type_name("NAME[,NAME...]");
  app.add_flag("--json", o->Json,
               "print one JSON document: an array of properties, each with its name, value, "
               "attributes, category, whether it is writable and its sub-properties");
  app.add_flag("--events", o->Events, "the events page instead of the properties page");
  AddPackageOption(app, o->Packages);
  app.footer("One row per property that every selected component publishes, read through the "
             "property editors that the inspector would use: name, value (empty where the "
             "selected components differ), category and attributes. Sub-properties follow "
             "their property, indented.");
  return [o] { return RunInspect(*o); };
}

const CommandRegistrar
    reg({"inspect", "inspect FORM [--select NAME[,NAME...]] [--json] [--package LIB.so ...]",
         "show the properties of a form's components", Define});

} // namespace
