// The property inspector of the command line.
#include "inspector.h"

#include "basert/filer.h"
#include "basert/sysutils.h"
#include "designeditors/editorregistry.h"
#include "designeditors/propcategories.h"
#include "designeditors/propedit.h"
#include "designeditors/stdeditors_consts.h"

#include <algorithm>
#include <array>
#include <utility>

namespace fwcli {

using namespace fw;

namespace {

constexpr std::array<std::pair<TPropertyAttribute, std::string_view>, 15> kAttributeNames = {{
    {paValueList, "paValueList"},
    {paSubProperties, "paSubProperties"},
    {paDialog, "paDialog"},
    {paMultiSelect, "paMultiSelect"},
    {paAutoUpdate, "paAutoUpdate"},
    {paSortList, "paSortList"},
    {paReadOnly, "paReadOnly"},
    {paRevertable, "paRevertable"},
    {paFullWidthName, "paFullWidthName"},
    {paVolatileSubProperties, "paVolatileSubProperties"},
    {paTarn, "paTarn"},
    {paNotNestable, "paNotNestable"},
    {paDisplayReadOnly, "paDisplayReadOnly"},
    {paCustomDropDown, "paCustomDropDown"},
    {paValueEditable, "paValueEditable"},
}};

// Sub-properties of sub-properties: deep enough for any real type, short of a cycle.
constexpr int kMaxDepth = 8;

// The first visible category (newest first) that claims the property; the miscellaneous one
// when none does.
String CategoryOf(const String& name, TClass cls, PTypeInfo type) {
  TPropertyCategoryList& list = PropertyCategoryList();
  for (Integer i = 0; i < list.Count(); ++i) {
    TPropertyCategory* c = list.GetCategory(i);
    if (c != list.MiscCategory() && c->Match(name, cls, type)) return c->Name();
  }
  return list.MiscCategory()->Name();
}

TInspectedProperty Row(const IPtr<IProperty>& prop, const String& category, int depth) {
  TInspectedProperty row;
  row.Name = prop->GetName();
  row.Attributes = prop->GetAttributes();
  row.Category = category;
  String value;
  row.Writable = prop->GetEditValue(value);
  row.Value = prop->AllEqual() ? value : String();
  if (row.Attributes.Contains(paSubProperties) && depth < kMaxDepth)
    prop->GetProperties([&](const IPtr<IProperty>& sub) {
      row.Properties.push_back(Row(sub, category, depth + 1));
    });
  return row;
}

IPtr<IDesignerSelections> Selections(const std::vector<TPersistent*>& objects) {
  IPtr<TDesignerSelections> list(New<TDesignerSelections>());
  for (TPersistent* p : objects)
    list->Add(p);
  return IPtr<IDesignerSelections>(list);
}

// The editor of `path` for `object`: a row of that whole name (a placeholder keeps stored
// names such as "Font.Style" whole), else the row of its first name and, below it, the
// sub-property rows of the names that follow. Null when no such row is shown.
IPtr<IProperty> FindEditor(TOpenForm& form, TPersistent* object, const String& path) {
  std::vector<IPtr<IProperty>> rows;
  GetComponentProperties(Selections({object}), tkAny, form.Root->GetDesigner(),
                         [&](const IPtr<IProperty>& prop) { rows.push_back(prop); });
  auto find = [](const std::vector<IPtr<IProperty>>& list, std::string_view name) {
    for (const IPtr<IProperty>& prop : list)
      if (SameText(prop->GetName(), name)) return prop;
    return IPtr<IProperty>();
  };
  if (IPtr<IProperty> whole = find(rows, path)) return whole;
  std::string_view rest = path;
  IPtr<IProperty> found;
  for (;;) {
    const std::size_t dot = rest.find('.');
    found = find(rows, rest.substr(0, dot));
    if (!found || dot == std::string_view::npos) return found;
    rest = rest.substr(dot + 1);
    rows.clear();
    found->GetProperties([&](const IPtr<IProperty>& prop) { rows.push_back(prop); });
  }
}

// Writes `value` through the editor. A set's own row is read-only: the value "[a, b]" goes to
// its elements' rows instead, as the user ticks them in the inspector.
void SetThroughEditor(const IPtr<IProperty>& prop, const String& value) {
  const TPropertyAttributes attributes = prop->GetAttributes();
  if (!attributes.Contains(paReadOnly)) {
    prop->SetValue(value);
    return;
  }
  if (!attributes.Contains(paSubProperties) || value.size() < 2 || value.front() != '[' ||
      value.back() != ']')
    throw EDesignPropertyError(Format(sReadOnlyProperty, prop->GetName()));
  std::vector<IPtr<IProperty>> elements;
  prop->GetProperties([&](const IPtr<IProperty>& e) { elements.push_back(e); });
  std::vector<bool> wanted(elements.size());
  std::string_view list = std::string_view(value).substr(1, value.size() - 2);
  while (!Trim(list).empty()) {
    const std::size_t comma = list.find(',');
    const String name = Trim(list.substr(0, comma));
    std::size_t i = 0;
    while (i < elements.size() && !SameText(elements[i]->GetName(), name))
      ++i;
    if (i == elements.size()) throw EDesignPropertyError(rtlconsts::SInvalidPropertyValue);
    wanted[i] = true;
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  for (std::size_t i = 0; i < elements.size(); ++i)
    elements[i]->SetValue(wanted[i] ? "True" : "False");
}

// One character of UTF-8 text: its code point (a lone bad byte stands for itself) and length.
std::pair<char32_t, std::size_t> NextChar(std::string_view s) {
  const auto b = static_cast<unsigned char>(s[0]);
  const std::size_t n = b < 0x80         ? 1
                        : (b >> 5) == 6  ? 2
                        : (b >> 4) == 14 ? 3
                        : (b >> 3) == 30 ? 4
                                         : 0;
  if (n == 0 || n > s.size()) return {b, 1};
  char32_t c = n == 1 ? b : b & (0x7F >> n);
  for (std::size_t i = 1; i < n; ++i) {
    const auto t = static_cast<unsigned char>(s[i]);
    if ((t & 0xC0) != 0x80) return {b, 1};
    c = (c << 6) | (t & 0x3F);
  }
  return {c, n};
}

// Ranges of wide and full-width characters, and of the combining marks that take no column.
constexpr std::array<std::pair<char32_t, char32_t>, 10> kWide = {{
    {0x1100, 0x115F},
    {0x2E80, 0x303E},
    {0x3041, 0x33FF},
    {0x3400, 0x4DBF},
    {0x4E00, 0xA4CF},
    {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},
    {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},
}};
constexpr std::array<std::pair<char32_t, char32_t>, 4> kCombining = {{
    {0x0300, 0x036F},
    {0x1AB0, 0x1AFF},
    {0x20D0, 0x20FF},
    {0xFE20, 0xFE2F},
}};

template <std::size_t N>
bool InRanges(char32_t c, const std::array<std::pair<char32_t, char32_t>, N>& ranges) {
  return std::any_of(ranges.begin(), ranges.end(),
                     [c](const auto& r) { return c >= r.first && c <= r.second; });
}

std::size_t CharWidth(char32_t c) {
  if (InRanges(c, kCombining)) return 0;
  if (InRanges(c, kWide) || (c >= 0x1F300 && c <= 0x1F64F) || (c >= 0x1F900 && c <= 0x1F9FF) ||
      (c >= 0x20000 && c <= 0x3FFFD))
    return 2;
  return 1;
}

} // namespace

TComponent* FindNamedComponent(TOpenForm& form, std::string_view name) {
  TComponent* root = form.Root->GetRoot();
  if (SameText(name, root->Name())) return root;
  TComponent* c = root;
  for (;;) {
    const std::size_t dot = name.find('.');
    c = c->FindComponent(name.substr(0, dot));
    if (!c || dot == std::string_view::npos) return c;
    // Only a frame's components are named through it.
    if (!c->ComponentState().Contains(stateInline)) return nullptr;
    name.remove_prefix(dot + 1);
  }
}

std::vector<TPersistent*> SelectComponents(TOpenForm& form, const std::vector<std::string>& names) {
  TComponent* root = form.Root->GetRoot();
  std::vector<TPersistent*> selection;
  for (const std::string& name : names) {
    TComponent* c = FindNamedComponent(form, name);
    if (!c) throw Exception(Format(sNoComponentNamed, root->Name(), name));
    selection.push_back(c);
  }
  if (selection.empty()) selection.push_back(root);
  return selection;
}

std::vector<TInspectedProperty>
InspectProperties(TOpenForm& form, const std::vector<TPersistent*>& selection, TTypeKinds filter) {
  std::vector<TInspectedProperty> rows;
  const TClass cls = selection.front()->ClassType();
  GetComponentProperties(
      Selections(selection), filter, form.Root->GetDesigner(), [&](const IPtr<IProperty>& prop) {
        rows.push_back(Row(prop, CategoryOf(prop->GetName(), cls, prop->GetPropType()), 0));
      });
  return rows;
}

std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  while (!text.empty()) {
    const auto [c, n] = NextChar(text);
    width += CharWidth(c);
    text.remove_prefix(n);
  }
  return width;
}

std::string FitColumn(std::string_view text, std::size_t width) {
  std::string out;
  std::size_t used = DisplayWidth(text);
  if (used <= width) {
    out = text;
  } else {
    constexpr std::string_view ellipsis = "...";
    const std::size_t room = width > ellipsis.size() ? width - ellipsis.size() : 0;
    used = 0;
    while (!text.empty()) {
      const auto [c, n] = NextChar(text);
      if (used + CharWidth(c) > room) break;
      used += CharWidth(c);
      out.append(text.substr(0, n));
      text.remove_prefix(n);
    }
    out += ellipsis;
    used += ellipsis.size();
  }
  if (used < width) out.append(width - used, ' ');
  return out;
}

std::string_view AttributeName(TPropertyAttribute attribute) {
  for (const auto& [a, name] : kAttributeNames)
    if (a == attribute) return name;
  return {};
}

TAssignment SplitAssignment(TOpenForm& form, const std::string& assignment) {
  const std::size_t eq = assignment.find('=');
  std::size_t dot = assignment.find('.');
  if (eq == std::string::npos || dot == std::string::npos || dot == 0 || dot + 1 >= eq)
    throw Exception(Format(sBadAssignment, assignment));
  const std::string_view target = std::string_view(assignment).substr(0, eq);
  for (std::size_t next = target.find('.', dot + 1); next != std::string_view::npos;
       next = target.find('.', next + 1))
    if (FindNamedComponent(form, target.substr(0, next))) dot = next;
  return {assignment.substr(0, dot), assignment.substr(dot + 1, eq - dot - 1),
          assignment.substr(eq + 1)};
}

void AssignProperty(TOpenForm& form, const std::string& assignment) {
  const TAssignment a = SplitAssignment(form, assignment);
  TPersistent* object = SelectComponents(form, {a.Name}).front();
  IPtr<IProperty> prop = FindEditor(form, object, a.Path);
  if (!prop) throw Exception(Format(sNoPropertyNamed, a.Name, a.Path));
  SetThroughEditor(prop, a.Value);
}

} // namespace fwcli
