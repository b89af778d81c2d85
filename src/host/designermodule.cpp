#include "host/designermodule.h"

#include "basert/classbuilder.h"
#include "basert/format.h"
#include "basert/strings.h"
#include "basert/sysutils.h"
#include "tools/reservedwords.h"

#include <algorithm>
#include <sstream>
#include <unordered_map>

namespace fw {

namespace {

using TParam = THostDesignerModule::TParam;

bool StartsText(std::string_view prefix, std::string_view s) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}
using TMethodText = THostDesignerModule::TMethodText;

String FlagsText(TParamFlags flags) {
  if (flags.Contains(pfVar)) return "var";
  if (flags.Contains(pfOut)) return "out";
  if (flags.Contains(pfConst)) return "const";
  return {};
}

TMethodText FromEventInfo(const String& name, const IPtr<IEventInfo>& info) {
  TMethodText m;
  m.Name = name;
  if (!info) return m;
  m.IsFunction = info->GetMethodKind() == mkFunction;
  m.ResultType = info->GetResultType();
  for (Integer i = 0, n = info->GetParamCount(); i < n; ++i)
    m.Params.push_back(
        {FlagsText(info->GetParamFlags(i)), info->GetParamName(i), info->GetParamType(i)});
  return m;
}

// Handlers fit an event when kinds, parameter passing and types agree; names do not matter.
bool Fits(const TMethodText& m, const TMethodText& event) {
  if (m.IsFunction != event.IsFunction || !SameText(m.ResultType, event.ResultType) ||
      m.Params.size() != event.Params.size())
    return false;
  for (std::size_t i = 0; i < m.Params.size(); ++i)
    if (!SameText(m.Params[i].Flags, event.Params[i].Flags) ||
        !SameText(m.Params[i].Type, event.Params[i].Type))
      return false;
  return true;
}

String ParamsText(const std::vector<TParam>& params) {
  String s;
  for (const TParam& p : params) {
    if (!s.empty()) s += "; ";
    if (!p.Flags.empty()) s += p.Flags + " ";
    s += p.Name + ": " + p.Type;
  }
  return s.empty() ? s : "(" + s + ")";
}

String Header(const TMethodText& m, const String& className) {
  String s =
      (m.IsFunction ? "function " : "procedure ") + (className.empty() ? "" : className + ".");
  s += m.Name + ParamsText(m.Params);
  if (m.IsFunction) s += ": " + m.ResultType;
  return s + ";";
}

// "const A, B: Integer; var C: string" as parameters.
std::vector<TParam> ParseParams(const String& text) {
  std::vector<TParam> params;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(';', start);
    String group = Trim(text.substr(start, end == String::npos ? String::npos : end - start));
    start = end == String::npos ? text.size() + 1 : end + 1;
    if (group.empty()) continue;
    String flags;
    for (const char* f : {"var ", "const ", "out "})
      if (StartsText(f, group)) {
        flags = Trim(group.substr(0, std::char_traits<char>::length(f)));
        group = Trim(group.substr(flags.size()));
      }
    const std::size_t colon = group.find(':');
    const String type = colon == String::npos ? String() : Trim(group.substr(colon + 1));
    std::stringstream names(group.substr(0, colon));
    for (String name; std::getline(names, name, ',');)
      params.push_back({flags, Trim(name), type});
  }
  return params;
}

// One method of pasted source: its header line and the lines after it.
bool ParseMethod(const std::vector<String>& lines, TMethodText& m) {
  if (lines.empty()) return false;
  String header = Trim(lines.front());
  m.IsFunction = StartsText("function ", header);
  header = Trim(header.substr(m.IsFunction ? 9 : 10));
  const std::size_t open = header.find('(');
  const std::size_t nameEnd = std::min({open, header.find(':'), header.find(';')});
  String qualified = Trim(header.substr(0, nameEnd));
  const std::size_t dot = qualified.rfind('.');
  m.Name = dot == String::npos ? qualified : qualified.substr(dot + 1);
  if (m.Name.empty()) return false;
  std::size_t afterParams = nameEnd;
  if (open != String::npos && open == nameEnd) {
    const std::size_t close = header.find(')', open);
    m.Params = ParseParams(header.substr(open + 1, close - open - 1));
    afterParams = close == String::npos ? header.size() : close + 1;
  }
  if (m.IsFunction) {
    const std::size_t colon = header.find(':', afterParams);
    if (colon != String::npos)
      m.ResultType = Trim(header.substr(colon + 1, header.find(';', colon) - colon - 1));
  }
  // The body: after the first "begin", up to the last "end;".
  std::size_t begin = 1;
  while (begin < lines.size() && !SameText(Trim(lines[begin]), "begin"))
    ++begin;
  std::size_t end = lines.size();
  while (end > begin + 1 && !SameText(Trim(lines[end - 1]), "end;"))
    --end;
  for (std::size_t i = begin + 1; i + 1 < end; ++i)
    m.Body += lines[i] + "\n";
  return true;
}

bool IsHeader(const String& line) {
  const String t = Trim(line);
  return StartsText("procedure ", t) || StartsText("function ", t);
}

} // namespace

TClass THostDesignerModule::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostDesignerModule, TInterfacedObject>("THostDesignerModule", "Host")
          .Implements<IDesignerModule>()
          .Build();
  return cls;
}

THostDesignerModule::THostDesignerModule(String unitName, const String& rootName,
                                         String ancestorClass)
    : FUnitName(std::move(unitName)), FClassName("T" + rootName),
      FAncestorClass(std::move(ancestorClass)) {}

const TMethodText* THostDesignerModule::FindMethod(const String& name) const {
  const auto it = FMethodIndex.find(name);
  return it == FMethodIndex.end() ? nullptr : &FMethods[it->second];
}

void THostDesignerModule::AddMethod(TMethodText method) {
  FMethodIndex.emplace(method.Name, FMethods.size());
  FMethods.push_back(std::move(method));
}

TMethodText* THostDesignerModule::Find(const String& name) {
  return const_cast<TMethodText*>(std::as_const(*this).FindMethod(name));
}

void THostDesignerModule::SetMethodBody(const String& name, const String& body) {
  TMethodText* m = Find(name);
  if (!m) throw EDesignerModuleError(Format(sNoSuchMethod, name));
  m->Body = body;
}

String THostDesignerModule::MethodSource(const TMethodText& m) const {
  return Header(m, FClassName) + "\nbegin\n" + m.Body + "end;\n";
}

const std::vector<THostDesignerModule::TField>& THostDesignerModule::Fields() const {
  PackFields();
  return FFields;
}

void THostDesignerModule::PackFields() const {
  if (FFieldHoles == 0) return;
  // Each field moves down by the holes before it; the index follows without rehashing.
  std::vector<std::size_t> shift(FFields.size());
  std::size_t holes = 0, to = 0;
  for (std::size_t i = 0; i < FFields.size(); ++i) {
    shift[i] = holes;
    if (FFields[i].Name.empty()) {
      ++holes;
      continue;
    }
    if (to != i) FFields[to] = std::move(FFields[i]);
    ++to;
  }
  FFields.resize(to);
  for (auto& [name, at] : FFieldIndex)
    at -= shift[at];
  FFieldHoles = 0;
}

String THostDesignerModule::Source() const {
  PackFields();
  String s = "unit " + FUnitName + ";\n\ninterface\n\ntype\n  " + FClassName + " = class(" +
             FAncestorClass + ")\n";
  for (const TField& f : FFields)
    s += "    " + f.Name + ": " + f.ClassName + ";\n";
  for (const TMethodText& m : FMethods)
    s += "    " + Header(m, {}) + "\n";
  s += "  end;\n\nimplementation\n";
  for (const TMethodText& m : FMethods) {
    s += '\n';
    s += MethodSource(m);
  }
  return s + "\nend.\n";
}

void THostDesignerModule::Modified() {
  ++FModifiedCount;
  FCalls.push_back("Modified");
}

void THostDesignerModule::NotifyChange(Integer code) {
  FCalls.push_back("NotifyChange " + IntToStr(code));
}

void THostDesignerModule::ComponentRenamed(const IPtr<ICompInfo>& info, const String& oldName,
                                           const String& newName) {
  CheckIdentifier(newName);
  static constexpr std::string_view call = "ComponentRenamed ";
  String line;
  line.reserve(call.size() + oldName.size() + 1 + newName.size());
  line.append(call).append(oldName).append(" ").append(newName);
  FCalls.push_back(std::move(line));
  // A component named for the first time has no field yet.
  auto at = oldName.empty() ? FFieldIndex.end() : FFieldIndex.find(oldName);
  if (newName.empty()) {
    if (at == FFieldIndex.end()) return;
    FFields[at->second].Name.clear();
    ++FFieldHoles;
    FFieldIndex.erase(at);
  } else if (at != FFieldIndex.end()) {
    const std::size_t i = at->second;
    FFieldIndex.erase(at);
    FFields[i].Name = newName;
    FFieldIndex.emplace(newName, i);
  } else {
    FFieldIndex.emplace(newName, FFields.size());
    FFields.push_back({newName, info ? info->GetClassName() : String("TComponent")});
  }
}

void THostDesignerModule::RootRenamed(const IPtr<ICompInfo>&, const String& newName) {
  CheckIdentifier(newName);
  FCalls.push_back("RootRenamed " + newName);
  FClassName = "T" + newName;
}

void THostDesignerModule::CheckIdentifier(const String& name) {
  // The field or variable would not compile.
  if (!name.empty() && pascal::IsReservedWord(std::string_view(name)))
    throw EComponentError(Format(sInvalidName, name));
}

void THostDesignerModule::ValidateModification() {
  if (FReadOnly) throw EDesignerModuleError(Format(sUnitReadOnly, FUnitName));
}

void THostDesignerModule::CreateMethod(const String& name, const IPtr<IEventInfo>& info) {
  FCalls.push_back("CreateMethod " + name);
  if (!FindMethod(name)) AddMethod(FromEventInfo(name, info));
}

void THostDesignerModule::GetMethods(const IPtr<IEventInfo>& info, const TGetStrProc& proc) {
  const TMethodText event = FromEventInfo({}, info);
  for (const TMethodText& m : FMethods)
    if (Fits(m, event)) proc(m.Name);
}

void THostDesignerModule::RenameMethod(const String& curName, const String& newName) {
  FCalls.push_back("RenameMethod " + curName + " " + newName);
  TMethodText* m = Find(curName);
  if (!m) throw EDesignerModuleError(Format(sNoSuchMethod, curName));
  const TMethodText* other = FindMethod(newName);
  if (other && other != m) throw EDesignerModuleError(Format(sDuplicateMethod, newName));
  const std::size_t index = FMethodIndex.at(curName);
  FMethodIndex.erase(curName);
  FMethodIndex.emplace(newName, index);
  m->Name = newName;
}

void THostDesignerModule::ChainCall(const String& methodName, const String& instanceName,
                                    const String& instanceMethod, const IPtr<IEventInfo>& info) {
  FCalls.push_back("ChainCall " + methodName + " " + instanceName + "." + instanceMethod);
  if (!FindMethod(methodName)) AddMethod(FromEventInfo(methodName, info));
  TMethodText* m = Find(methodName);
  String args;
  for (const TParam& p : m->Params)
    args += (args.empty() ? "" : ", ") + p.Name;
  const String call =
      "  " + instanceName + "." + instanceMethod + (args.empty() ? "" : "(" + args + ")") + ";\n";
  if (m->Body.find(call) == String::npos) m->Body.insert(0, call);
}

String THostDesignerModule::GetMethodSource(const String& name) {
  const TMethodText* m = FindMethod(name);
  return m ? MethodSource(*m) : String();
}

void THostDesignerModule::InsertMethods(const String& source, TStrings* renames,
                                        TStrings* present) {
  FCalls.push_back("InsertMethods");
  std::vector<std::vector<String>> chunks;
  std::stringstream in(source);
  for (String line; std::getline(in, line);) {
    if (IsHeader(line)) chunks.emplace_back();
    if (!chunks.empty()) chunks.back().push_back(line);
  }
  // A paste of n components brings n renames and n methods: look each up, not scan for it.
  std::unordered_map<String, String, TextHash, TextEqual> renamed;
  if (renames)
    for (Integer i = 0, n = renames->Count(); i < n; ++i)
      renamed.try_emplace(renames->Names(i), renames->ValueFromIndex(i));
  for (const auto& chunk : chunks) {
    TMethodText m;
    if (!ParseMethod(chunk, m)) continue;
    if (const auto it = renamed.find(m.Name); it != renamed.end() && !it->second.empty())
      m.Name = it->second;
    if (!FindMethod(m.Name)) AddMethod(std::move(m));
  }
  if (present) {
    present->Clear();
    for (const TMethodText& m : FMethods)
      present->Add(m.Name);
  }
}

} // namespace fw
